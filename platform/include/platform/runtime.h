// The object runtime of the host processes and the hooking call of the
// injection framework.
//
// Classes are registered by name, each with a superclass (or none, for a root
// class) and a table of selector -> implementation. Objects know their class.
// Hosts call their own methods through objc_msgSend(), which looks the
// implementation up in the receiver's class at call time, so a hook installed
// later with MSHookMessageEx() really intercepts the host's call and can pass
// it on to the implementation it replaced.
//
// Objects. Every object is an NSObject (or a subclass) made with
// std::make_shared and owned through std::shared_ptr by whoever keeps it. A
// receiver or object argument is a plain pointer (id, T*) that is valid for
// the duration of the call; code that keeps one beyond the call takes a
// strong reference with retain() or a weak one with weakRef(). A method that
// hands out an object returns std::shared_ptr<T>, and nil is the null
// pointer.
//
// Implementations. An IMP is a generic function pointer; its real type is
//   R (*)(id self, SEL _cmd, A... args)
// where every argument is passed by value (object pointers, NSInteger, bool,
// double, std::string, std::function, ...). Both sides must agree on that
// type exactly: the headers that describe host classes (springboard.h,
// phone.h, ui_table.h, ...) name it for each selector. The typed overloads of
// class_addMethod() and MSHookMessageEx() record it with the method, and a
// call through objc_msgSend() with other argument or result types then ends
// the process with a message that names both types, instead of running into
// undefined behaviour. Methods added through the plain IMP overloads are not
// checked.
//
// Calling a method:
//   const SEL sel = sel_registerName("tableView:cellForRowAtIndexPath:");
//   std::shared_ptr<UITableViewCell> cell =
//       objc_msgSend<std::shared_ptr<UITableViewCell>>(controller, sel, tableView, indexPath);
// The argument types are deduced from the arguments, so pass exactly the
// declared types (a UITableView*, not a subclass pointer or a shared_ptr), or
// name them: objc_msgSend<void, UIViewController*, bool, Block>(...).
//
// Hooking a method:
//   static TableViewCellForRowIMP original;
//   MSHookMessageEx(objc_getClass("MPRecentsTableViewController"),
//                   sel_registerName("tableView:cellForRowAtIndexPath:"), &replacement, &original);
//   ... and in replacement: original(self, _cmd, tableView, indexPath).
//
// Threads: registering, adding, hooking and looking up are safe from any
// thread (hooks are installed at load time on the loading thread; calls come
// from the main thread). Classes and selectors live as long as the process.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace platform {

class NSObject;
struct objc_class;
struct objc_selector;

using id = NSObject*;
using Class = objc_class*;
// A selector: one per name, so two selectors are equal exactly when their
// names are equal. Null is no selector.
using SEL = const objc_selector*;
// A method implementation, cast to its real type by the caller.
using IMP = void (*)();
using NSInteger = long;
using NSUInteger = unsigned long;

// ---- Selectors

// The selector of this name (made on first use). Null for an empty name.
SEL sel_registerName(std::string_view name);
// The selector's name; "<null selector>" for null.
const char* sel_getName(SEL sel);

// ---- Classes

// The class registered under this name, or null when there is none.
Class objc_getClass(std::string_view name);

// Host side: registers a new class with this name and superclass (null for a
// root class). Returns null, and registers nothing, when the name is empty or
// already taken.
Class objc_registerClass(std::string_view name, Class superclass);

// The class's name; "nil" for null.
const char* class_getName(Class cls);
// The superclass; null for a root class or null.
Class class_getSuperclass(Class cls);
// Whether cls is sup or inherits from it.
bool class_isSubclassOfClass(Class cls, Class sup);

// The implementation that a message sel to an instance of cls runs: the
// class's own or the nearest inherited one. Null when there is none (the
// platform would hand out its forwarding trampoline instead).
IMP class_getMethodImplementation(Class cls, SEL sel);
// Whether instances of cls respond to sel (own or inherited method).
bool class_respondsToSelector(Class cls, SEL sel);
// The type encoding given when the method was added ("@@:@@"); own or
// inherited; null when cls does not respond to sel.
const char* class_getMethodTypeEncoding(Class cls, SEL sel);

// Adds a method to cls. Leaves the class unchanged and returns false when cls
// itself already implements sel (an inherited method is overridden), and for
// a null class, selector or implementation. types is kept with the method.
bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types);

// The typed form: also records the implementation's C++ signature.
template <typename R, typename... A>
bool class_addMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types);

// ---- Hooking

// Replaces cls's implementation of sel with replacement and stores the
// replaced implementation in *result (when result is not null). When cls only
// inherits sel, the replacement is installed on cls itself (instances of the
// superclass keep the old method) and *result is the inherited
// implementation. A null class, a null replacement or a selector that cls
// does not respond to changes nothing and stores null in *result.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result);

// The typed form. A replacement whose signature differs from the one recorded
// for the method is refused with a message on stderr: nothing changes and
// *result is null.
template <typename R, typename... A>
void MSHookMessageEx(Class cls, SEL sel, R (*replacement)(id, SEL, A...),
                     R (**result)(id, SEL, A...));

// ---- Objects

// The root class of every object. Subclasses pass their class to the
// constructor; each C++ type of the platform names its own with objcClass().
class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  // The runtime class "NSObject".
  static Class objcClass();

  explicit NSObject(Class isa = objcClass());
  virtual ~NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  Class isa() const { return isa_; }

 private:
  Class isa_;
};

// The object's class; null for nil.
Class object_getClass(id object);
// The name of the object's class; "nil" for nil.
const char* object_getClassName(id object);
// isKindOfClass:: the object's class is cls or a subclass of it.
bool object_isKindOfClass(id object, Class cls);

// A strong reference to an object handed over as a plain pointer. Empty for
// nil and for an object that no shared_ptr owns.
template <typename T>
std::shared_ptr<T> retain(T* object) {
  static_assert(std::is_base_of_v<NSObject, T>, "retain() takes runtime objects");
  if (object == nullptr) return nullptr;
  std::shared_ptr<const NSObject> owner =
      static_cast<const NSObject*>(object)->weak_from_this().lock();
  if (owner == nullptr) return nullptr;
  return std::shared_ptr<T>(owner, object);
}

// A weak reference to an object handed over as a plain pointer.
template <typename T>
std::weak_ptr<T> weakRef(T* object) {
  return retain(object);
}

// ---- Messaging

namespace internal {
IMP implementationForMessage(id self, SEL sel, const std::type_info& signature);
bool addMethod(Class cls, SEL sel, IMP imp, const char* types, const std::type_info* signature);
IMP hookMessage(Class cls, SEL sel, IMP replacement, const std::type_info* signature);
}  // namespace internal

// Sends a message: runs the implementation of sel in self's class, looked up
// now. A nil receiver runs nothing and returns R{}. A receiver that does not
// respond to sel ends the process with "unrecognized selector" and the class
// and selector names; so does a call whose types differ from the signature
// recorded for the method.
template <typename R = void, typename... A>
R objc_msgSend(id self, SEL sel, A... args) {
  if (self == nullptr) {
    if constexpr (std::is_void_v<R>) {
      return;
    } else {
      return R{};
    }
  }
  using Function = R (*)(id, SEL, A...);
  const IMP imp = internal::implementationForMessage(self, sel, typeid(Function));
  return reinterpret_cast<Function>(imp)(self, sel, std::move(args)...);
}

template <typename R, typename... A>
bool class_addMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types) {
  return internal::addMethod(cls, sel, reinterpret_cast<IMP>(imp), types,
                             &typeid(R(*)(id, SEL, A...)));
}

template <typename R, typename... A>
void MSHookMessageEx(Class cls, SEL sel, R (*replacement)(id, SEL, A...),
                     R (**result)(id, SEL, A...)) {
  const IMP replaced = internal::hookMessage(cls, sel, reinterpret_cast<IMP>(replacement),
                                             &typeid(R(*)(id, SEL, A...)));
  if (result != nullptr) *result = reinterpret_cast<R (*)(id, SEL, A...)>(replaced);
}

}  // namespace platform
