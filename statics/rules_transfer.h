// Moving the screening rules to another phone: the rules of a main preference
// document written as a rules file (statics/contracts/rules_file.h), and a
// rules file merged into a document. Importing only adds: entries already
// listed stay, nothing is removed; the switches and values take the file's.
//
//   Result<ImportPlan> plan = planImport(fileText, pref);
//   if (!plan) ... the file is refused: plan.error() says why
//   else pref = applyImport(std::move(pref), *plan);
//
// Each entry is checked as the list editors check what a user types
// (statics/pattern_input.h): a pattern is normalised the same way, and one
// that is empty afterwards, holds other characters than a number pattern's or
// a wildcard run (blacklist, allow-list), or a value of the wrong type, is a
// problem reported with its line in the file and left out. A city or group
// key the city list does not know is kept.
//
// The region lists are merged as unions: the groups, the cities of each
// group and the flattened list (the one the screening reads) each get what
// the file adds. A file written by exportRules holds a flattened list that
// matches its groups and cities, so the union matches the union of both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "statics/contracts/pref_document.h"
#include "statics/result.h"

// The rules file of a document (any JSON value; what has another shape than
// the document's is left out).
std::string exportRules(const Json& pref);

// A bad entry of the file, left out of the import.
struct ImportProblem {
  size_t line = 0;  // 1-based line of the entry in the file
  std::string key;  // the list or value it belongs to
  std::string message;
};

// What the import adds to one list.
struct ListImport {
  std::string key;
  // Entries as the document stores them, in file order; for a city map,
  // arrays [group, city].
  std::vector<Json> added;
  size_t alreadyListed = 0;  // entries left out as listed (on the phone or earlier in the file)
};

// A switch or value the import changes.
struct SettingImport {
  std::string key;
  Json from;  // null when the document has none
  Json to;
};

struct ImportPlan {
  std::vector<ListImport> lists;  // every list of the file, in the order of rules_file.h
  std::vector<SettingImport> settings;
  std::vector<ImportProblem> problems;  // by line

  size_t addedCount() const;
  bool changesNothing() const;
};

// Reads the file against the document. Fails when the text is no JSON, not
// an object, or its format or version is not the one this reader knows.
[[nodiscard]] Result<ImportPlan> planImport(std::string_view fileText, const Json& pref);

// The document with the plan merged: entries appended in file order (none
// that the document lists already, should it have changed since the plan),
// settings set. A list of another type in the document is replaced.
Json applyImport(Json pref, const ImportPlan& plan);
