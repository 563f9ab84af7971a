#include "platform/runtime.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "class_registry.h"

namespace platform {

struct objc_selector {
  std::string name;
};

namespace {

struct Method {
  IMP imp = nullptr;
  std::string types;
  // The implementation's C++ signature, when the method was added or hooked
  // through a typed call; null when unknown.
  const std::type_info* signature = nullptr;
};

}  // namespace

struct objc_class {
  std::string name;
  Class superclass = nullptr;
  std::unordered_map<SEL, Method> methods;
};

namespace {

// Every class and selector of the process. Never destroyed: implementations
// may still be looked up while static objects are torn down at exit.
struct Registry {
  std::shared_mutex mutex;
  std::map<std::string, std::unique_ptr<objc_class>, std::less<>> classes;
  std::map<std::string, std::unique_ptr<objc_selector>, std::less<>> selectors;
};

Registry& registry() {
  static Registry* const instance = new Registry();  // never destroyed
  return *instance;
}

// The method a message to cls runs, own or inherited. Registry lock held.
const Method* findMethodLocked(Class cls, SEL sel) {
  for (Class c = cls; c != nullptr; c = c->superclass) {
    auto it = c->methods.find(sel);
    if (it != c->methods.end()) return &it->second;
  }
  return nullptr;
}

std::string readableType(const std::type_info* type) {
  if (type == nullptr) return "(unknown)";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
  return status == 0 && demangled != nullptr ? demangled.get() : type->name();
}

[[noreturn]] void failMessage(const std::string& text) {
  std::fprintf(stderr, "hushgate: %s\n", text.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string methodName(Class cls, SEL sel) {
  return std::string("-[") + class_getName(cls) + " " + sel_getName(sel) + "]";
}

}  // namespace

SEL sel_registerName(std::string_view name) {
  if (name.empty()) return nullptr;
  Registry& r = registry();
  {
    std::shared_lock lock(r.mutex);
    auto it = r.selectors.find(name);
    if (it != r.selectors.end()) return it->second.get();
  }
  std::unique_lock lock(r.mutex);
  auto& slot = r.selectors[std::string(name)];
  if (slot == nullptr) slot = std::make_unique<objc_selector>(objc_selector{std::string(name)});
  return slot.get();
}

const char* sel_getName(SEL sel) {
  return sel == nullptr ? "<null selector>" : sel->name.c_str();
}

Class objc_getClass(std::string_view name) {
  Registry& r = registry();
  std::shared_lock lock(r.mutex);
  auto it = r.classes.find(name);
  return it == r.classes.end() ? nullptr : it->second.get();
}

Class objc_registerClass(std::string_view name, Class superclass) {
  if (name.empty()) return nullptr;
  Registry& r = registry();
  std::unique_lock lock(r.mutex);
  auto [it, inserted] = r.classes.try_emplace(std::string(name));
  if (!inserted) return nullptr;
  it->second = std::make_unique<objc_class>();
  it->second->name = std::string(name);
  it->second->superclass = superclass;
  return it->second.get();
}

const char* class_getName(Class cls) {
  // A class's name never changes after registration: no lock needed.
  return cls == nullptr ? "nil" : cls->name.c_str();
}

Class class_getSuperclass(Class cls) {
  return cls == nullptr ? nullptr : cls->superclass;
}

bool class_isSubclassOfClass(Class cls, Class sup) {
  if (sup == nullptr) return false;
  for (Class c = cls; c != nullptr; c = c->superclass) {
    if (c == sup) return true;
  }
  return false;
}

IMP class_getMethodImplementation(Class cls, SEL sel) {
  std::shared_lock lock(registry().mutex);
  const Method* method = findMethodLocked(cls, sel);
  return method == nullptr ? nullptr : method->imp;
}

bool class_respondsToSelector(Class cls, SEL sel) {
  return class_getMethodImplementation(cls, sel) != nullptr;
}

const char* class_getMethodTypeEncoding(Class cls, SEL sel) {
  std::shared_lock lock(registry().mutex);
  const Method* method = findMethodLocked(cls, sel);
  // The string lives in the method, which is never removed; hooks replace
  // only its implementation and signature.
  return method == nullptr ? nullptr : method->types.c_str();
}

bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types) {
  return internal::addMethod(cls, sel, imp, types, nullptr);
}

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result) {
  const IMP replaced = internal::hookMessage(cls, sel, replacement, nullptr);
  if (result != nullptr) *result = replaced;
}

namespace internal {

bool addMethod(Class cls, SEL sel, IMP imp, const char* types, const std::type_info* signature) {
  if (cls == nullptr || sel == nullptr || imp == nullptr) return false;
  std::unique_lock lock(registry().mutex);
  auto [it, inserted] = cls->methods.try_emplace(sel);
  if (!inserted) return false;
  it->second.imp = imp;
  it->second.types = types == nullptr ? "" : types;
  it->second.signature = signature;
  return true;
}

IMP hookMessage(Class cls, SEL sel, IMP replacement, const std::type_info* signature) {
  if (cls == nullptr || sel == nullptr || replacement == nullptr) return nullptr;
  std::unique_lock lock(registry().mutex);
  const Method* current = findMethodLocked(cls, sel);
  if (current == nullptr) return nullptr;
  if (signature != nullptr && current->signature != nullptr && *signature != *current->signature) {
    std::fprintf(stderr, "hushgate: MSHookMessageEx: %s is %s, the replacement is %s; not hooked\n",
                 methodName(cls, sel).c_str(), readableType(current->signature).c_str(),
                 readableType(signature).c_str());
    return nullptr;
  }
  const IMP replaced = current->imp;
  auto own = cls->methods.find(sel);
  if (own == cls->methods.end()) {
    // An inherited method is overridden on cls itself.
    Method method = *current;
    own = cls->methods.emplace(sel, std::move(method)).first;
  }
  own->second.imp = replacement;
  if (signature != nullptr) own->second.signature = signature;
  return replaced;
}

IMP implementationForMessage(id self, SEL sel, const std::type_info& signature) {
  const Class cls = self->isa();
  Method method;
  {
    std::shared_lock lock(registry().mutex);
    const Method* found = findMethodLocked(cls, sel);
    if (found != nullptr) method = *found;
  }
  if (method.imp == nullptr) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(self));
    failMessage(methodName(cls, sel) + ": unrecognized selector sent to instance " + address);
  }
  if (method.signature != nullptr && *method.signature != signature) {
    failMessage(methodName(cls, sel) + " is " + readableType(method.signature) +
                " but was sent as " + readableType(&signature));
  }
  return method.imp;
}

Class platformClass(std::string_view name, Class superclass) {
  for (;;) {
    if (const Class existing = objc_getClass(name)) return existing;
    if (const Class made = objc_registerClass(name, superclass)) return made;
  }
}

}  // namespace internal

Class NSObject::objcClass() {
  static const Class cls = internal::platformClass("NSObject", nullptr);
  return cls;
}

NSObject::NSObject(Class isa) : isa_(isa) {}

NSObject::~NSObject() = default;

Class object_getClass(id object) {
  return object == nullptr ? nullptr : object->isa();
}

const char* object_getClassName(id object) {
  return class_getName(object_getClass(object));
}

bool object_isKindOfClass(id object, Class cls) {
  return class_isSubclassOfClass(object_getClass(object), cls);
}

}  // namespace platform
