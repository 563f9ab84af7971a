#include "tools/phonedata/commands.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "platform/version.h"
#include "statics/atomic_file.h"
#include "statics/contracts/city_list.h"
#include "statics/contracts/names.h"
#include "statics/contracts/phonedata_format.h"
#include "statics/phonedata.h"
#include "tools/phonedata/builder.h"
#include "tools/phonedata/inspect.h"

namespace phonedata {

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "hushgate-phonedata";
constexpr const char* kUsage =
    "usage: hushgate-phonedata build [--out-dir DIR]\n"
    "       hushgate-phonedata info FILE\n"
    "       hushgate-phonedata lookup FILE NUMBER...\n"
    "       hushgate-phonedata --help | --version\n"
    "\n"
    "build   makes the number-location database phone-VERSION.dat and the city\n"
    "        list cities.json in DIR (default: the current folder) from the\n"
    "        geocoding data of libphonenumber\n"
    "info    checks a database file and sums it up\n"
    "lookup  prints the carrier and region of each NUMBER in a database file\n";

int usageError(std::ostream& err, const std::string& problem) {
  err << kProgram << ": " << problem << "\n" << kUsage;
  return 2;
}

// The summary of a valid database file; nullopt after reporting why not.
std::optional<DatabaseSummary> readDatabase(const std::string& path, std::ostream& err) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) {
    err << kProgram << ": " << path << ": no such file\n";
    return std::nullopt;
  }
  if (!fs::is_regular_file(status)) {
    err << kProgram << ": " << path << ": not a regular file\n";
    return std::nullopt;
  }
  const std::optional<std::string> bytes = readWholeFile(path, kMaxPhoneDataFileSize);
  if (!bytes) {
    err << kProgram << ": " << path << ": cannot be read, or larger than any valid database ("
        << (kMaxPhoneDataFileSize >> 20) << " MiB)\n";
    return std::nullopt;
  }
  Result<DatabaseSummary> summary =
      inspectDatabase(std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
  if (!summary) {
    err << kProgram << ": " << path
        << " is not a valid number-location database: " << summary.error() << "\n";
  }
  return std::move(summary).toOptional();
}

// Removes the databases of earlier builds, so that the directory holds one
// and the detector cannot pick a stale one.
void removeOtherDatabases(const fs::path& directory, const fs::path& keep, std::ostream& out) {
  std::vector<fs::path> stale;
  std::error_code error;
  for (fs::directory_iterator it(directory, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code statError;
    if (name != keep.filename().string() && name.starts_with(kPhoneDataFilePrefix) &&
        name.ends_with(kPhoneDataFileSuffix) && !it->is_directory(statError)) {
      stale.push_back(it->path());
    }
  }
  for (const fs::path& path : stale) {
    if (fs::remove(path, error)) out << "removed " << path.string() << "\n";
  }
}

void printBuildReport(const BuildOutput& output, const fs::path& datPath,
                      const fs::path& citiesPath, std::ostream& out, std::ostream& err) {
  const BuildStats& stats = output.stats;
  const EncodedDatabase& db = output.database;
  auto mapped = [&stats](MatchKind kind) { return stats.mappedBlocks[static_cast<size_t>(kind)]; };

  out << "area codes: " << stats.landlineCodes << " at city level";
  if (!stats.landlineUnplaced.empty()) {
    out << " (known only at country level:";
    for (const std::string& code : stats.landlineUnplaced) out << " " << code;
    out << ")";
  }
  out << "\nmobile blocks: " << stats.blocks << " asked, " << stats.cityLevelBlocks
      << " at city level, " << stats.countryLevelBlocks << " country only, " << stats.invalidBlocks
      << " not valid\n"
      << "mapped to an area code: "
      << mapped(MatchKind::kExact) + mapped(MatchKind::kCity) + mapped(MatchKind::kAlias) << " of "
      << stats.cityLevelBlocks << " (same description " << mapped(MatchKind::kExact)
      << ", same city " << mapped(MatchKind::kCity) << ", alias table " << mapped(MatchKind::kAlias)
      << "); unmapped " << stats.unmappedBlocks << ", no carrier " << stats.untypedBlocks << "\n";
  for (const std::string& place : stats.unmappedPlaces) {
    err << kProgram << ": warning: no area code for \"" << place << "\"\n";
  }
  out << "wrote " << datPath.string() << ": version " << db.version << ", " << db.entryCount
      << " entries, " << db.recordCount << " records, " << db.bytes.size() << " bytes\n"
      << "wrote " << citiesPath.string() << ": " << output.citiesJson.size() << " bytes\n";
}

int runBuild(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  fs::path outDir = ".";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out-dir" && i + 1 < args.size()) {
      outDir = args[++i];
    } else {
      return usageError(err, "build: unexpected argument \"" + printable(args[i]) + "\"");
    }
  }
  std::error_code error;
  fs::create_directories(outDir, error);
  if (error) {
    err << kProgram << ": cannot create " << outDir.string() << ": " << error.message() << "\n";
    return 1;
  }

  const auto started = std::chrono::steady_clock::now();
  Result<BuildOutput> built = buildPhoneData(Geocoder());
  if (!built) {
    err << kProgram << ": build failed: " << built.error() << "\n";
    return 1;
  }
  const BuildOutput& output = *built;
  const EncodedDatabase& db = output.database;
  const fs::path datPath = outDir / (kPhoneDataFilePrefix + db.version + kPhoneDataFileSuffix);
  const fs::path citiesPath = outDir / kCityListFileName;
  // The database first: cities.json is the build's output file, so its
  // presence means a complete build.
  for (const auto& [path, bytes] :
       {std::pair{datPath, &db.bytes}, {citiesPath, &output.citiesJson}}) {
    const Status written = writeFileAtomically(path.string(), *bytes);
    if (!written) {
      err << kProgram << ": cannot write " << path.string() << ": " << written.error() << "\n";
      return 1;
    }
  }
  removeOtherDatabases(outDir, datPath, out);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  printBuildReport(output, datPath, citiesPath, out, err);
  out << "took " << seconds << " s\n";
  return 0;
}

int runInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) return usageError(err, "info takes one FILE");
  const std::optional<DatabaseSummary> summary = readDatabase(args[0], err);
  if (!summary) return 1;
  out << "file: " << printable(args[0]) << "\n"
      << "version: " << printable(summary->version) << "\n"
      << "size: " << summary->size << " bytes\n"
      << "entries: " << summary->entryCount << "\n"
      << "records: " << summary->recordCount << "\n"
      << "first prefix: " << summary->firstPrefix << "\n"
      << "last prefix: " << summary->lastPrefix << "\n";
  if (summary->trailingBytes != 0) {
    out << "trailing bytes: " << summary->trailingBytes << " (ignored)\n";
  }
  return 0;
}

int runLookup(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) return usageError(err, "lookup takes a FILE and at least one NUMBER");
  if (!readDatabase(args[0], err)) return 1;
  const PhoneData db(args[0]);
  for (const std::string& number : args.subspan(1)) {
    const PhoneRecord record = db.lookUp(number);
    out << printable(number) << '\t' << static_cast<int32_t>(record.type) << '\t';
    if (record.empty()) {
      out << "\t\t\t\t\t\n";
      continue;
    }
    if (record.type >= CMCC && record.type <= CMCC_V) out << getPhoneType(record.type);
    out << '\t' << record.phonePrefix << '\t' << printable(record.text1) << '\t'
        << printable(record.text2) << '\t' << printable(record.text3) << '\t'
        << printable(record.regionCode) << '\n';
  }
  return 0;
}

}  // namespace

int runCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return usageError(err, "no command given");
  const std::string& verb = args[0];
  if (verb == "build") return runBuild(args.subspan(1), out, err);
  if (verb == "info") return runInfo(args.subspan(1), out, err);
  if (verb == "lookup") return runLookup(args.subspan(1), out, err);
  if (verb == "-h" || verb == "--help" || verb == "help") {
    out << kUsage;
    return 0;
  }
  if (verb == "--version" && args.size() == 1) {
    out << kProgram << " " << HUSHGATE_VERSION << "\n";
    return 0;
  }
  return usageError(err, "unknown command \"" + printable(verb) + "\"");
}

}  // namespace phonedata
