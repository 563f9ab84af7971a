// hushgate-modem: the home-screen host of a Linux phone. Loads the injected
// libraries, launches, and hands the calls of ModemManager's modems to the
// telephony manager's callEventHandler:, reporting what became of each.

#include <gio/gio.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "hosts/common/stop_signals.h"
#include "hosts/modem/contacts.h"
#include "hosts/modem/glib_loop.h"
#include "hosts/modem/gobject_ptr.h"
#include "hosts/modem/modem_host.h"
#include "hosts/modem/modem_watcher.h"
#include "platform/bundle.h"
#include "platform/command_line.h"
#include "platform/dispatch.h"
#include "platform/injection.h"

namespace {

constexpr char kUsage[] =
    "usage: hushgate-modem [--bus ADDRESS] [--contacts eds|none|FILE.vcf]\n"
    "       hushgate-modem --help | --version\n"
    "\n"
    "The home-screen host of a Linux phone. Loads the libraries of the injection\n"
    "folder (<device root>/Library/MobileSubstrate/DynamicLibraries), launches,\n"
    "then follows ModemManager and hands every call of a modem with the Voice\n"
    "interface to SBTelephonyManager callEventHandler:, so that the tweak screens\n"
    "it; a blocked call is hung up through ModemManager.\n"
    "\n"
    "  --bus ADDRESS   the D-Bus bus of ModemManager (default: the system bus,\n"
    "                  or DBUS_SYSTEM_BUS_ADDRESS when set)\n"
    "  --contacts SRC  where callers are looked up for the contact bypass: \"eds\"\n"
    "                  the session's Evolution Data Server address books (the\n"
    "                  default; none when the session has no such service),\n"
    "                  \"none\", or a vCard file\n"
    "\n"
    "It prints one JSON line per modem change, call event and hang-up, and logs\n"
    "on standard error. SIGINT and SIGTERM end it (exit status 0); exit status 1\n"
    "when the bus cannot be reached or is lost, 2 for bad arguments.\n";
const std::string kHelp =
    std::string(kUsage) + "\n" + platform::kDeviceRootHelp +
    "  DBUS_SYSTEM_BUS_ADDRESS  the bus of ModemManager, unless --bus names one\n";

struct Options {
  std::string bus;
  std::string contacts = "eds";
};

bool parseOptions(const std::vector<std::string>& args, Options* options) {
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--bus" || args[i] == "--contacts") && i + 1 < args.size()) {
      std::string& option = args[i] == "--bus" ? options->bus : options->contacts;
      option = args[++i];
    } else {
      return false;
    }
  }
  return !options->contacts.empty();
}

std::unique_ptr<modem::ContactDirectory> openContacts(const std::string& source) {
  if (source == "none") return nullptr;
  Result<std::unique_ptr<modem::ContactDirectory>> opened =
      source == "eds" ? modem::openSessionAddressBooks() : modem::openVCardFile(source);
  if (!opened) {
    std::fprintf(stderr, "hushgate-modem: %s; callers are not looked up\n", opened.error().c_str());
    return nullptr;
  }
  std::fprintf(stderr, "hushgate-modem: callers are looked up in %s\n",
               opened->get()->description().c_str());
  return std::move(*opened);
}

Result<modem::GObjectPtr<GDBusConnection>> connectBus(const std::string& address) {
  GError* raw = nullptr;
  GDBusConnection* bus =
      address.empty()
          ? g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &raw)
          : g_dbus_connection_new_for_address_sync(
                address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &raw);
  const modem::GErrorPtr error(raw);
  if (bus == nullptr) return fail("cannot connect to the bus: " + modem::errorText(error.get()));
  g_dbus_connection_set_exit_on_close(bus, FALSE);
  return modem::adopt(bus);
}

void onBusClosed(GDBusConnection*, gboolean, GError* error, gpointer lost) {
  std::fprintf(stderr, "hushgate-modem: the bus connection was lost: %s\n",
               modem::errorText(error).c_str());
  *static_cast<bool*>(lost) = true;
  platform::stopMainLoop();
}

}  // namespace

int main(int argc, char** argv) {
  hosts::StopSignals stopSignals;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered =
          platform::answerHelpOrVersion(args, "hushgate-modem", kHelp)) {
    return *answered;
  }
  Options options;
  if (!parseOptions(args, &options)) return platform::usageError(kUsage);

  platform::setMainBundleIdentifier(modem::kBundleIdentifier);
  modem::GlibLoopDriver loop;
  const std::unique_ptr<modem::ContactDirectory> contacts = openContacts(options.contacts);
  modem::ModemHost host(stdout, contacts.get());
  host.registerClasses();
  platform::loadInjectedLibraries();
  host.finishLaunching();

  Result<modem::GObjectPtr<GDBusConnection>> bus = connectBus(options.bus);
  if (!bus) {
    std::fprintf(stderr, "hushgate-modem: %s\n", bus.error().c_str());
    return 1;
  }
  bool busLost = false;
  g_signal_connect(bus->get(), "closed", G_CALLBACK(onBusClosed), &busLost);
  int status = 0;
  {
    modem::ModemWatcher watcher(bus->get(), host);
    host.setWatcher(&watcher);
    const Status started = watcher.start();
    if (!started) {
      std::fprintf(stderr, "hushgate-modem: %s\n", started.error().c_str());
      status = 1;
    } else {
      loop.start();
      platform::runMainLoopUntil([&] { return stopSignals.received() || busLost; },
                                 std::chrono::milliseconds::max());
      if (busLost) status = 1;
    }
    host.setWatcher(nullptr);
  }
  g_signal_handlers_disconnect_by_data(bus->get(), &busLost);
  return status;
}
