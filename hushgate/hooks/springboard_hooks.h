// The tweak in the home-screen process: the call-event hook and the launch
// sequence that opens the history file and the caller-identification
// database, registers for the two notifications and loads the preferences.
#pragma once

// Installs the call-event hook, then the launch hook.
void installSpringboardHooks();
