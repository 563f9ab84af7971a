// The settings application's export and import of the rules file
// (statics/contracts/rules_file.h, statics/rules_transfer.h): the front end
// asks the user for a path and calls these. Every outcome is told in an
// alert. Main thread only.
#pragma once

#include <string>

namespace gui {

// Writes the rules of the main document to path (replacing it atomically),
// then says where they went, or why they could not be written.
void exportRulesToFile(const std::string& path);

// Reads the rules file at path and asks whether to merge it, showing what
// each list would gain and the first entries left out with their lines. A
// file that cannot be read or is refused is said so, and nothing changes.
// Confirming merges the file into the document on disk (one change, planned
// again against it) and says what was added.
void showImportPreview(const std::string& path);

}  // namespace gui
