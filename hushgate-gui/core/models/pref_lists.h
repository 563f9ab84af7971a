// Reading and changing the lists and containers of a preference document
// without throwing. The document comes from a file, so any value may have
// another JSON type than the one expected: a value of the wrong type reads as
// absent, and a write replaces it with a new container of the right type.
#pragma once

#include <string>

#include "statics/Preference.h"

namespace gui {

// doc[key] when it is an array (an object), else nullptr.
Json* arrayOrNull(Json& doc, const std::string& key);
Json* objectOrNull(Json& doc, const std::string& key);
// doc[key] when it is an object, else a shared empty object.
const Json& prefObject(const Json& doc, const std::string& key);
// doc[key] as an array: created empty when absent or of another type. doc
// itself is made an object first when it is not one.
Json& arrayCreatingIfAbsent(Json& doc, const std::string& key);
// doc[key] as an object, created the same way.
Json& objectCreatingIfAbsent(Json& doc, const std::string& key);

// Whether list (any JSON value; only an array has elements) holds text.
bool containsString(const Json& list, const std::string& text);
// Appends text to the array list unless it is already there.
void appendUnlessPresent(Json& list, const std::string& text);
// Removes every element equal to text from list (nothing when not an array).
void removeString(Json& list, const std::string& text);

}  // namespace gui
