// The "hushgate-phonedata" command: build, inspect and query number-location
// databases.
//
//   build [--out-dir DIR]     builds DIR/phone-VERSION.dat and DIR/cities.json
//                             from the geocoder (DIR defaults to ".")
//   info FILE                 version, size, entries, records, first and last
//                             prefix of a database
//   lookup FILE NUMBER...     one tab-separated line per number: the number,
//                             the card type as integer and carrier name,
//                             phonePrefix, text1, text2, text3, regionCode
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace phonedata {

// Runs the command with its arguments (without the program name); returns
// the exit status: 0 on success, 1 on a failure, 2 on a usage error.
int runCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace phonedata
