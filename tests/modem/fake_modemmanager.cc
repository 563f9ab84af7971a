// fake-modemmanager: a stand-in for ModemManager on a test's private bus. It
// owns org.freedesktop.ModemManager1 and speaks ModemManager's interfaces as
// libmm-glib defines them: the object manager at /org/freedesktop/ModemManager1
// with modem objects (Modem and Modem.Voice, libmm-glib's skeletons), and call
// objects (the Call interface, served by hand so that a test can leave
// properties out or give them another type).
//
// It reads commands from standard input, one a line, and prints what happens
// on standard output, one line each:
//   modem M [novoice]        a modem object Modem/M        -> "modem M"
//   voice M                  adds its Voice interface      -> "voice M"
//   unmodem M                removes the modem and its calls -> "unmodem M"
//   call C M NUMBER [PROPS]  an incoming ringing call Call/C on modem M; NUMBER
//                            "-" leaves Number out; PROPS (GVariant text,
//                            a{sv}) sets properties, a maybe without value
//                            removes one                   -> "call C"
//   ending-call C M NUMBER   a call that ends by itself when its hang-up
//                            comes: terminated first, then the Hangup fails
//                            with WrongState               -> "call C"
//   state C STATE [REASON]   changes a call's state        -> "state C STATE"
//   delete C                 deletes a call (CallDeleted)  -> "delete C"
//   flood N M NUMBER MS      N calls named f1..fN, spread over MS milliseconds
//                                                          -> "flood N"
//   end-all                  terminates every call still going -> "end-all K"
//   latency N M NUMBER       N calls one after another: each is announced,
//                            hung up by the host and deleted; the time from
//                            CallAdded to Hangup is measured
//                                                          -> "latency calls=N hung-up=K
//                                                              median-us=A p99-us=B max-us=C"
//   quit
// A Hangup prints "hangup C ok", or "hangup C ended" when the call had ended.
//   fake-modemmanager [--bus ADDRESS]   (default: the system bus)

#include <ModemManager.h>
#include <gio/gio.h>
#include <libmm-glib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Modem {
  MmGdbusObjectSkeleton* object = nullptr;
  MmGdbusModemVoice* voice = nullptr;
  std::vector<std::string> calls;
};

struct Call {
  std::string modem;
  guint registration = 0;
  std::map<std::string, GVariant*> properties;
  bool endsFirst = false;
  gint64 announced = 0;  // monotonic microseconds at CallAdded
};

struct Latency {
  int total = 0;
  int started = 0;
  std::string modem;
  std::string number;
  std::string current;
  guint timeout = 0;
  std::vector<gint64> samples;
};

struct Flood {
  int total = 0;
  int created = 0;
  int milliseconds = 0;
  std::string modem;
  std::string number;
  gint64 start = 0;
};

GMainLoop* loop;
GDBusConnection* bus;
GDBusObjectManagerServer* manager;
std::map<std::string, Modem> modems;
std::map<std::string, Call> calls;
Latency latency;
Flood flood;

void say(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

std::string modemPath(const std::string& id) {
  return std::string(MM_DBUS_MODEM_PREFIX) + "/" + id;
}
std::string callPath(const std::string& id) {
  return std::string(MM_DBUS_CALL_PREFIX) + "/" + id;
}

void setProperty(Call& call, const std::string& name, GVariant* value) {
  const auto it = call.properties.find(name);
  if (it != call.properties.end()) g_variant_unref(it->second);
  if (value == nullptr) {
    call.properties.erase(name);
  } else {
    call.properties[name] = g_variant_ref_sink(value);
  }
}

int intProperty(const Call& call, const char* name) {
  const auto it = call.properties.find(name);
  if (it == call.properties.end() || !g_variant_is_of_type(it->second, G_VARIANT_TYPE_INT32)) {
    return 0;
  }
  return g_variant_get_int32(it->second);
}

void publishCalls(Modem& modem) {
  std::vector<const gchar*> paths;
  std::vector<std::string> storage;
  for (const std::string& id : modem.calls) storage.push_back(callPath(id));
  for (const std::string& path : storage) paths.push_back(path.c_str());
  paths.push_back(nullptr);
  if (modem.voice != nullptr) mm_gdbus_modem_voice_set_calls(modem.voice, paths.data());
}

// Sets a call's state as ModemManager does: the StateChanged signal, then the
// changed properties.
void changeState(const std::string& id, int state, int reason) {
  Call& call = calls[id];
  const int old = intProperty(call, "State");
  setProperty(call, "State", g_variant_new_int32(state));
  setProperty(call, "StateReason", g_variant_new_int32(reason));
  const std::string path = callPath(id);
  g_dbus_connection_emit_signal(bus, nullptr, path.c_str(), MM_DBUS_INTERFACE_CALL, "StateChanged",
                                g_variant_new("(iiu)", old, state, static_cast<guint>(reason)),
                                nullptr);
  GVariantBuilder changed;
  g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&changed, "{sv}", "State", g_variant_new_int32(state));
  g_variant_builder_add(&changed, "{sv}", "StateReason", g_variant_new_int32(reason));
  g_dbus_connection_emit_signal(
      bus, nullptr, path.c_str(), "org.freedesktop.DBus.Properties", "PropertiesChanged",
      g_variant_new("(sa{sv}as)", MM_DBUS_INTERFACE_CALL, &changed, nullptr), nullptr);
}

void deleteCall(const std::string& id);
void startLatencyCall();

void onMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
              GVariant*, GDBusMethodInvocation* invocation, gpointer data) {
  const std::string id = static_cast<const char*>(data);
  const auto it = calls.find(id);
  if (g_strcmp0(method, "Hangup") != 0 || it == calls.end()) {
    g_dbus_method_invocation_return_dbus_error(invocation, MM_CORE_ERROR_DBUS_PREFIX ".Unsupported",
                                               "not supported by this stand-in");
    return;
  }
  Call& call = it->second;
  if (latency.current == id) {
    latency.samples.push_back(g_get_monotonic_time() - call.announced);
  }
  if (call.endsFirst && intProperty(call, "State") != MM_CALL_STATE_TERMINATED) {
    changeState(id, MM_CALL_STATE_TERMINATED, MM_CALL_STATE_REASON_TERMINATED);
  }
  if (intProperty(call, "State") == MM_CALL_STATE_TERMINATED) {
    say("hangup " + id + " ended");
    g_dbus_method_invocation_return_dbus_error(invocation, MM_CORE_ERROR_DBUS_PREFIX ".WrongState",
                                               "This call was not active, cannot hangup");
  } else {
    changeState(id, MM_CALL_STATE_TERMINATED, MM_CALL_STATE_REASON_TERMINATED);
    say("hangup " + id + " ok");
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }
  if (latency.current == id) {
    latency.current.clear();
    if (latency.timeout != 0) g_source_remove(latency.timeout);
    latency.timeout = 0;
    g_idle_add(
        [](gpointer) -> gboolean {
          startLatencyCall();
          return G_SOURCE_REMOVE;
        },
        nullptr);
    deleteCall(id);
  }
}

GVariant* onGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                        const gchar* name, GError** error, gpointer data) {
  const auto it = calls.find(static_cast<const char*>(data));
  if (it != calls.end()) {
    const auto property = it->second.properties.find(name);
    if (property != it->second.properties.end()) return g_variant_ref(property->second);
  }
  g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "no property %s", name);
  return nullptr;
}

const GDBusInterfaceVTable kCallVTable = {onMethod, onGetProperty, nullptr, {nullptr}};

bool addCall(const std::string& id, const std::string& modemId, const std::string& number,
             const std::string& props, bool endsFirst) {
  const auto modem = modems.find(modemId);
  if (modem == modems.end() || modem->second.voice == nullptr || calls.count(id) > 0) return false;
  Call& call = calls[id];
  call.modem = modemId;
  call.endsFirst = endsFirst;
  setProperty(call, "Direction", g_variant_new_int32(MM_CALL_DIRECTION_INCOMING));
  setProperty(call, "State", g_variant_new_int32(MM_CALL_STATE_RINGING_IN));
  setProperty(call, "StateReason", g_variant_new_int32(MM_CALL_STATE_REASON_INCOMING_NEW));
  setProperty(call, "Multiparty", g_variant_new_boolean(FALSE));
  setProperty(call, "AudioPort", g_variant_new_string(""));
  setProperty(call, "AudioFormat", g_variant_new("a{sv}", nullptr));
  if (number != "-") setProperty(call, "Number", g_variant_new_string(number.c_str()));
  if (!props.empty()) {
    GError* error = nullptr;
    GVariant* dict =
        g_variant_parse(G_VARIANT_TYPE("a{sv}"), props.c_str(), nullptr, nullptr, &error);
    if (dict == nullptr) {
      say(std::string("error ") + error->message);
      g_error_free(error);
    } else {
      GVariantIter iter;
      const gchar* key;
      GVariant* value;
      g_variant_iter_init(&iter, dict);
      while (g_variant_iter_next(&iter, "{&sv}", &key, &value)) {
        const bool remove =
            g_variant_is_of_type(value, G_VARIANT_TYPE_MAYBE) && g_variant_n_children(value) == 0;
        setProperty(call, key, remove ? nullptr : value);
        g_variant_unref(value);
      }
      g_variant_unref(dict);
    }
  }
  const std::string path = callPath(id);
  call.registration =
      g_dbus_connection_register_object(bus, path.c_str(), mm_gdbus_call_interface_info(),
                                        &kCallVTable, g_strdup(id.c_str()), g_free, nullptr);
  modem->second.calls.push_back(id);
  publishCalls(modem->second);
  call.announced = g_get_monotonic_time();
  mm_gdbus_modem_voice_emit_call_added(modem->second.voice, path.c_str());
  return true;
}

void deleteCall(const std::string& id) {
  const auto it = calls.find(id);
  if (it == calls.end()) return;
  const auto modem = modems.find(it->second.modem);
  if (modem != modems.end()) {
    auto& list = modem->second.calls;
    list.erase(std::remove(list.begin(), list.end(), id), list.end());
    publishCalls(modem->second);
    if (modem->second.voice != nullptr) {
      mm_gdbus_modem_voice_emit_call_deleted(modem->second.voice, callPath(id).c_str());
    }
  }
  g_dbus_connection_unregister_object(bus, it->second.registration);
  for (auto& [name, value] : it->second.properties) g_variant_unref(value);
  calls.erase(it);
}

void addVoice(Modem& modem) {
  if (modem.voice != nullptr) return;
  modem.voice = mm_gdbus_modem_voice_skeleton_new();
  mm_gdbus_object_skeleton_set_modem_voice(modem.object, modem.voice);
}

void removeModem(const std::string& id) {
  const auto it = modems.find(id);
  if (it == modems.end()) return;
  for (const std::string& call : std::vector<std::string>(it->second.calls)) deleteCall(call);
  g_dbus_object_manager_server_unexport(manager, modemPath(id).c_str());
  if (it->second.voice != nullptr) g_object_unref(it->second.voice);
  g_object_unref(it->second.object);
  modems.erase(it);
}

void finishLatency() {
  std::vector<gint64> sorted = latency.samples;
  std::sort(sorted.begin(), sorted.end());
  auto at = [&](double q) -> gint64 {
    if (sorted.empty()) return 0;
    const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()));
    return sorted[index];
  };
  say("latency calls=" + std::to_string(latency.total) +
      " hung-up=" + std::to_string(sorted.size()) + " median-us=" + std::to_string(at(0.5)) +
      " p99-us=" + std::to_string(at(0.99)) +
      " max-us=" + std::to_string(sorted.empty() ? 0 : sorted.back()));
}

void startLatencyCall() {
  if (latency.started >= latency.total) {
    finishLatency();
    return;
  }
  latency.current = "l" + std::to_string(++latency.started);
  latency.timeout = g_timeout_add_seconds(
      5,
      [](gpointer) -> gboolean {
        // Not hung up in time: counts as missed.
        latency.timeout = 0;
        const std::string id = latency.current;
        latency.current.clear();
        deleteCall(id);
        startLatencyCall();
        return G_SOURCE_REMOVE;
      },
      nullptr);
  if (!addCall(latency.current, latency.modem, latency.number, "", false)) {
    say("error no modem " + latency.modem);
  }
}

gboolean floodTick(gpointer) {
  const gint64 elapsed = (g_get_monotonic_time() - flood.start) / 1000;
  const int due = flood.milliseconds <= 0
                      ? flood.total
                      : static_cast<int>(std::min<gint64>(
                            flood.total, (elapsed + 1) * flood.total / flood.milliseconds));
  while (flood.created < due) {
    const std::string id = "f" + std::to_string(++flood.created);
    addCall(id, flood.modem, flood.number, "", false);
  }
  if (flood.created < flood.total) return G_SOURCE_CONTINUE;
  say("flood " + std::to_string(flood.total));
  return G_SOURCE_REMOVE;
}

void command(const std::string& line) {
  std::istringstream in(line);
  std::string verb, a, b, c;
  in >> verb;
  if (verb == "modem") {
    in >> a >> b;
    if (modems.count(a) > 0) return say("error modem " + a + " exists");
    Modem& modem = modems[a];
    modem.object = mm_gdbus_object_skeleton_new(modemPath(a).c_str());
    MmGdbusModem* iface = mm_gdbus_modem_skeleton_new();
    mm_gdbus_modem_set_state(iface, MM_MODEM_STATE_REGISTERED);
    mm_gdbus_object_skeleton_set_modem(modem.object, iface);
    g_object_unref(iface);
    if (b != "novoice") addVoice(modem);
    g_dbus_object_manager_server_export(manager, G_DBUS_OBJECT_SKELETON(modem.object));
    say("modem " + a);
  } else if (verb == "voice") {
    in >> a;
    if (modems.count(a) == 0) return say("error no modem " + a);
    addVoice(modems[a]);
    say("voice " + a);
  } else if (verb == "unmodem") {
    in >> a;
    removeModem(a);
    say("unmodem " + a);
  } else if (verb == "call" || verb == "ending-call") {
    in >> a >> b >> c;
    std::string props;
    std::getline(in, props);
    if (!addCall(a, b, c, props, verb == "ending-call")) return say("error cannot add call " + a);
    say("call " + a);
  } else if (verb == "state") {
    int state = 0;
    int reason = MM_CALL_STATE_REASON_UNKNOWN;
    in >> a >> state >> reason;
    if (calls.count(a) == 0) return say("error no call " + a);
    changeState(a, state, reason);
    say("state " + a + " " + std::to_string(state));
  } else if (verb == "delete") {
    in >> a;
    deleteCall(a);
    say("delete " + a);
  } else if (verb == "flood") {
    flood = Flood{};
    in >> flood.total >> flood.modem >> flood.number >> flood.milliseconds;
    flood.start = g_get_monotonic_time();
    g_timeout_add(1, floodTick, nullptr);
  } else if (verb == "end-all") {
    int ended = 0;
    for (auto& [id, call] : calls) {
      if (intProperty(call, "State") != MM_CALL_STATE_TERMINATED) {
        changeState(id, MM_CALL_STATE_TERMINATED, MM_CALL_STATE_REASON_TERMINATED);
        ++ended;
      }
    }
    say("end-all " + std::to_string(ended));
  } else if (verb == "latency") {
    latency = Latency{};
    in >> latency.total >> latency.modem >> latency.number;
    startLatencyCall();
  } else if (verb == "quit") {
    g_main_loop_quit(loop);
  } else if (!verb.empty()) {
    say("error unknown command " + verb);
  }
}

gboolean onInput(GIOChannel* channel, GIOCondition, gpointer) {
  gchar* text = nullptr;
  gsize length = 0;
  const GIOStatus status = g_io_channel_read_line(channel, &text, &length, nullptr, nullptr);
  if (status == G_IO_STATUS_AGAIN) return G_SOURCE_CONTINUE;
  if (status != G_IO_STATUS_NORMAL) {
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
  }
  std::string line(text, length);
  g_free(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  command(line);
  return G_SOURCE_CONTINUE;
}

void onNameAcquired(GDBusConnection*, const gchar*, gpointer) {
  say("ready");
}

void onNameLost(GDBusConnection*, const gchar*, gpointer) {
  say("error the name is taken or the bus is gone");
  g_main_loop_quit(loop);
}

}  // namespace

int main(int argc, char** argv) {
  GError* error = nullptr;
  if (argc == 3 && g_strcmp0(argv[1], "--bus") == 0) {
    bus = g_dbus_connection_new_for_address_sync(
        argv[2],
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
  } else if (argc == 1) {
    bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
  } else {
    std::fprintf(stderr, "usage: fake-modemmanager [--bus ADDRESS]\n");
    return 2;
  }
  if (bus == nullptr) {
    std::fprintf(stderr, "fake-modemmanager: %s\n", error->message);
    g_error_free(error);
    return 1;
  }
  loop = g_main_loop_new(nullptr, FALSE);
  manager = g_dbus_object_manager_server_new(MM_DBUS_PATH);
  g_dbus_object_manager_server_set_connection(manager, bus);
  const guint owner =
      g_bus_own_name_on_connection(bus, MM_DBUS_SERVICE, G_BUS_NAME_OWNER_FLAGS_NONE,
                                   onNameAcquired, onNameLost, nullptr, nullptr);
  GIOChannel* input = g_io_channel_unix_new(0);
  const guint watch = g_io_add_watch(
      input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), onInput, nullptr);
  g_main_loop_run(loop);

  g_source_remove(watch);
  g_io_channel_unref(input);
  for (const std::string& id : [] {
         std::vector<std::string> ids;
         for (const auto& [id, modem] : modems) ids.push_back(id);
         return ids;
       }()) {
    removeModem(id);
  }
  g_bus_unown_name(owner);
  g_object_unref(manager);
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
  g_main_loop_unref(loop);
  return 0;
}
