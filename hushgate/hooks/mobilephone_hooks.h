// The tweak in the Phone application: the launch sequence that makes the
// block icon and loads the blocked call ids, the recents cell hook that marks
// blocked calls, and the added row actions with "add to blacklist".
#pragma once

// Installs the launch hook and the cell hook, then adds the row actions.
void installMobilephoneHooks();
