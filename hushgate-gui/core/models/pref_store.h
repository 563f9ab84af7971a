// Every change the settings application makes to its preference documents:
// one read-modify-write of the document on disk (Preference::update), after
// which the user is told what went wrong, if anything: that an unreadable
// document was kept aside (and where), that the change could not be saved,
// or that the running screening may not have it yet. Main thread only.
#pragma once

#include <functional>

#include "statics/Preference.h"

namespace gui {

// Applies change to the main document. True when the document is as the
// change wants it (written, or already so); false when nothing could be
// written (the user was told why).
bool changePref(const std::function<void(Json& pref)>& change,
                Preference::Announce announce = Preference::Announce::kPost);
// The same for the Phone-side document.
bool changeMPPref(const std::function<void(Json& mpPref)>& change);

// Tells the user about what an update did that they must know; true when
// it did not fail.
bool tellUserAboutUpdate(const Result<Preference::Update>& done);

}  // namespace gui
