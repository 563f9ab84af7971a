#include "platform/runtime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::Class;
using platform::class_addMethod;
using platform::class_getMethodImplementation;
using platform::class_getMethodTypeEncoding;
using platform::class_getName;
using platform::class_getSuperclass;
using platform::class_respondsToSelector;
using platform::id;
using platform::IMP;
using platform::MSHookMessageEx;
using platform::NSObject;
using platform::objc_getClass;
using platform::objc_msgSend;
using platform::objc_registerClass;
using platform::SEL;
using platform::sel_registerName;

// Classes live as long as the process, so every test makes its own names.
std::string uniqueName(const std::string& base) {
  static std::atomic<int> counter{0};
  return "RuntimeTest" + base + std::to_string(counter.fetch_add(1));
}

// An object that logs which implementations ran.
class Recorder : public NSObject {
 public:
  explicit Recorder(Class cls) : NSObject(cls) {}
  std::vector<std::string> log;
};

Recorder& recorder(id self) {
  return *static_cast<Recorder*>(self);
}

using NameIMP = std::string (*)(id, SEL);
std::string baseName(id self, SEL) {
  recorder(self).log.push_back("base");
  return "base";
}
std::string subName(id self, SEL) {
  recorder(self).log.push_back("sub");
  return "sub";
}

NameIMP originalName = nullptr;
std::string hookedName(id self, SEL cmd) {
  recorder(self).log.push_back("hook");
  return "hooked(" + originalName(self, cmd) + ")";
}

NameIMP originalHookedName = nullptr;
std::string secondHook(id self, SEL cmd) {
  recorder(self).log.push_back("second");
  return "second(" + originalHookedName(self, cmd) + ")";
}

int addOne(id, SEL, int value) {
  return value + 1;
}

struct Hierarchy {
  Class base;
  Class sub;
};

Hierarchy makeHierarchy() {
  const Class base = objc_registerClass(uniqueName("Base"), NSObject::objcClass());
  const Class sub = objc_registerClass(uniqueName("Sub"), base);
  return {base, sub};
}

TEST(RuntimeTest, ClassesAreRegisteredOnceByName) {
  const std::string name = uniqueName("Named");
  EXPECT_EQ(objc_getClass(name), nullptr);
  const Class cls = objc_registerClass(name, NSObject::objcClass());
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(objc_getClass(name), cls);
  EXPECT_STREQ(class_getName(cls), name.c_str());
  EXPECT_EQ(class_getSuperclass(cls), NSObject::objcClass());
  EXPECT_EQ(class_getSuperclass(NSObject::objcClass()), nullptr);
  EXPECT_EQ(objc_getClass("NSObject"), NSObject::objcClass());

  EXPECT_EQ(objc_registerClass(name, nullptr), nullptr) << "a taken name";
  EXPECT_EQ(objc_getClass(name), cls);
  EXPECT_EQ(objc_registerClass("", nullptr), nullptr);
  EXPECT_STREQ(class_getName(nullptr), "nil");
  EXPECT_EQ(class_getSuperclass(nullptr), nullptr);
}

TEST(RuntimeTest, SelectorsAreEqualExactlyWhenNamesAre) {
  const std::string a = "tableView:cellForRowAtIndexPath:";
  EXPECT_EQ(sel_registerName(a), sel_registerName(std::string(a)));
  EXPECT_NE(sel_registerName(a), sel_registerName("tableView:"));
  EXPECT_STREQ(platform::sel_getName(sel_registerName(a)), a.c_str());
  EXPECT_EQ(sel_registerName(""), nullptr);
}

TEST(RuntimeTest, AddMethodKeepsOwnMethodsAndOverridesInheritedOnes) {
  const Hierarchy h = makeHierarchy();
  const SEL name = sel_registerName("name");
  const SEL other = sel_registerName("other");

  EXPECT_TRUE(class_addMethod(h.base, name, &baseName, "@@:"));
  EXPECT_FALSE(class_addMethod(h.base, name, &subName, "v@:")) << "the class has its own";
  EXPECT_EQ(class_getMethodImplementation(h.base, name), reinterpret_cast<IMP>(&baseName));
  EXPECT_STREQ(class_getMethodTypeEncoding(h.base, name), "@@:");

  // Inherited until the subclass adds its own.
  EXPECT_EQ(class_getMethodImplementation(h.sub, name), reinterpret_cast<IMP>(&baseName));
  EXPECT_TRUE(class_addMethod(h.sub, name, &subName, "@@:"));
  EXPECT_EQ(class_getMethodImplementation(h.sub, name), reinterpret_cast<IMP>(&subName));
  EXPECT_EQ(class_getMethodImplementation(h.base, name), reinterpret_cast<IMP>(&baseName));

  EXPECT_TRUE(class_respondsToSelector(h.sub, name));
  EXPECT_FALSE(class_respondsToSelector(h.sub, other));
  EXPECT_EQ(class_getMethodImplementation(h.sub, other), nullptr);
  EXPECT_EQ(class_getMethodTypeEncoding(h.sub, other), nullptr);

  EXPECT_FALSE(class_addMethod(nullptr, other, &baseName, "@@:"));
  EXPECT_FALSE(class_addMethod(h.base, nullptr, &baseName, "@@:"));
  EXPECT_FALSE(class_addMethod(h.base, other, static_cast<IMP>(nullptr), "@@:"));
  EXPECT_FALSE(class_respondsToSelector(h.base, other));
}

TEST(RuntimeTest, MessengerLooksUpTheReceiversClassAtCallTime) {
  const Hierarchy h = makeHierarchy();
  const SEL name = sel_registerName("name");
  ASSERT_TRUE(class_addMethod(h.base, name, &baseName, "@@:"));
  auto base = std::make_shared<Recorder>(h.base);
  auto sub = std::make_shared<Recorder>(h.sub);

  EXPECT_EQ(objc_msgSend<std::string>(sub.get(), name), "base");
  ASSERT_TRUE(class_addMethod(h.sub, name, &subName, "@@:"));
  EXPECT_EQ(objc_msgSend<std::string>(sub.get(), name), "sub");
  EXPECT_EQ(objc_msgSend<std::string>(base.get(), name), "base");

  const SEL increment = sel_registerName("increment:");
  ASSERT_TRUE(class_addMethod(h.base, increment, &addOne, "i@:i"));
  EXPECT_EQ(objc_msgSend<int>(sub.get(), increment, 41), 42);
}

TEST(RuntimeTest, NilReceiverRunsNothingAndAnswersZero) {
  const SEL name = sel_registerName("name");
  EXPECT_EQ(objc_msgSend<std::string>(nullptr, name), "");
  EXPECT_EQ(objc_msgSend<int>(nullptr, name, 5), 0);
  EXPECT_EQ(objc_msgSend<std::shared_ptr<NSObject>>(nullptr, name), nullptr);
  objc_msgSend<void>(nullptr, name);
}

TEST(RuntimeTest, HookReplacesOwnMethodAndCanPassTheCallOn) {
  const Hierarchy h = makeHierarchy();
  const SEL name = sel_registerName("name");
  ASSERT_TRUE(class_addMethod(h.base, name, &baseName, "@@:"));
  auto object = std::make_shared<Recorder>(h.base);

  MSHookMessageEx(h.base, name, &hookedName, &originalName);
  EXPECT_EQ(originalName, &baseName);
  EXPECT_EQ(objc_msgSend<std::string>(object.get(), name), "hooked(base)");

  // A second hook replaces the first and passes on to it.
  MSHookMessageEx(h.base, name, &secondHook, &originalHookedName);
  EXPECT_EQ(originalHookedName, &hookedName);
  EXPECT_EQ(objc_msgSend<std::string>(object.get(), name), "second(hooked(base))");
  EXPECT_EQ(object->log, (std::vector<std::string>{"hook", "base", "second", "hook", "base"}));
  EXPECT_STREQ(class_getMethodTypeEncoding(h.base, name), "@@:") << "hooks keep the types";
}

TEST(RuntimeTest, HookOnInheritedMethodIsInstalledOnTheSubclassOnly) {
  const Hierarchy h = makeHierarchy();
  const SEL name = sel_registerName("name");
  ASSERT_TRUE(class_addMethod(h.base, name, &baseName, "@@:"));
  auto base = std::make_shared<Recorder>(h.base);
  auto sub = std::make_shared<Recorder>(h.sub);

  MSHookMessageEx(h.sub, name, &hookedName, &originalName);
  EXPECT_EQ(originalName, &baseName);
  EXPECT_EQ(objc_msgSend<std::string>(sub.get(), name), "hooked(base)");
  EXPECT_EQ(objc_msgSend<std::string>(base.get(), name), "base");
  // The subclass now has its own method: adding another is refused.
  EXPECT_FALSE(class_addMethod(h.sub, name, &subName, "@@:"));
}

TEST(RuntimeTest, HookOfNothingChangesNothing) {
  const Hierarchy h = makeHierarchy();
  const SEL name = sel_registerName("name");
  const SEL unknown = sel_registerName("unknownSelector");
  ASSERT_TRUE(class_addMethod(h.base, name, &baseName, "@@:"));

  struct Case {
    const char* what;
    Class cls;
    SEL sel;
  };
  for (const Case& c :
       {Case{"null class", nullptr, name}, Case{"unknown selector", h.base, unknown},
        Case{"null selector", h.base, nullptr}}) {
    NameIMP result = &subName;
    MSHookMessageEx(c.cls, c.sel, &hookedName, &result);
    EXPECT_EQ(result, nullptr) << c.what;
    IMP plain = reinterpret_cast<IMP>(&subName);
    MSHookMessageEx(c.cls, c.sel, reinterpret_cast<IMP>(&hookedName), &plain);
    EXPECT_EQ(plain, nullptr) << c.what;
  }
  EXPECT_FALSE(class_respondsToSelector(h.base, unknown));
  EXPECT_EQ(class_getMethodImplementation(h.base, name), reinterpret_cast<IMP>(&baseName));
  MSHookMessageEx(h.base, name, reinterpret_cast<IMP>(&hookedName), nullptr);  // result optional
  EXPECT_EQ(class_getMethodImplementation(h.base, name), reinterpret_cast<IMP>(&hookedName));
}

TEST(RuntimeTest, TypedHookWithAnotherSignatureIsRefused) {
  const Hierarchy h = makeHierarchy();
  const SEL increment = sel_registerName("increment:");
  ASSERT_TRUE(class_addMethod(h.base, increment, &addOne, "i@:i"));
  NameIMP result = &subName;
  testing::internal::CaptureStderr();
  MSHookMessageEx(h.base, increment, &hookedName, &result);
  const std::string error = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, nullptr);
  EXPECT_NE(error.find("increment:"), std::string::npos) << error;
  EXPECT_EQ(class_getMethodImplementation(h.base, increment), reinterpret_cast<IMP>(&addOne));
}

TEST(RuntimeTest, ObjectsKnowTheirClassAndCanBeRetained) {
  const Hierarchy h = makeHierarchy();
  auto sub = std::make_shared<Recorder>(h.sub);
  EXPECT_EQ(platform::object_getClass(sub.get()), h.sub);
  EXPECT_STREQ(platform::object_getClassName(sub.get()), class_getName(h.sub));
  EXPECT_STREQ(platform::object_getClassName(nullptr), "nil");
  EXPECT_TRUE(platform::object_isKindOfClass(sub.get(), h.base));
  EXPECT_TRUE(platform::object_isKindOfClass(sub.get(), NSObject::objcClass()));
  EXPECT_FALSE(
      platform::object_isKindOfClass(sub.get(), objc_registerClass(uniqueName("X"), nullptr)));

  std::shared_ptr<Recorder> strong = platform::retain(sub.get());
  EXPECT_EQ(strong, sub);
  std::weak_ptr<Recorder> weak = platform::weakRef(sub.get());
  strong.reset();
  sub.reset();
  EXPECT_TRUE(weak.expired());

  Recorder unowned(h.base);
  EXPECT_EQ(platform::retain(&unowned), nullptr);
  EXPECT_EQ(platform::retain<Recorder>(nullptr), nullptr);
}

using RuntimeDeathTest = ::testing::Test;

TEST_F(RuntimeDeathTest, UnrecognizedSelectorEndsTheProcessNamingClassAndSelector) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string className = uniqueName("Mute");
  const Class cls = objc_registerClass(className, NSObject::objcClass());
  auto object = std::make_shared<Recorder>(cls);
  EXPECT_DEATH(objc_msgSend<void>(object.get(), sel_registerName("speak:"), 1),
               "-\\[" + className + " speak:\\]: unrecognized selector");
}

TEST_F(RuntimeDeathTest, CallWithAnotherSignatureEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Hierarchy h = makeHierarchy();
  const SEL increment = sel_registerName("increment:");
  ASSERT_TRUE(class_addMethod(h.base, increment, &addOne, "i@:i"));
  auto object = std::make_shared<Recorder>(h.sub);
  // A long argument where the method takes an int.
  EXPECT_DEATH(objc_msgSend<int>(object.get(), increment, 41L), "increment:\\] is int");
}

}  // namespace
