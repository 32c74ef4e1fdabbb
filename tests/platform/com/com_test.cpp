#include "platform/com/Com.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/com/ComObject.h"

namespace {

// A component that echoes its arguments and counts the live instances.
class Echo : public Dispatch {
 public:
  static inline int alive = 0;
  Echo() { ++alive; }
  ~Echo() override { --alive; }

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (kind == DispatchKind::Put && SameName(name, u"Value") && args.size() == 1) {
      value_ = args[0];
      return true;
    }
    if (kind != DispatchKind::Call)
      return false;
    if (SameName(name, u"Value") || name.empty()) {
      result = value_;
    } else if (SameName(name, u"Echo") && args.size() == 1) {
      result = args[0];
    } else if (SameName(name, u"Name") && args.empty()) {
      result = Variant(std::u16string(name));
    } else if (SameName(name, u"Self")) {
      result = Variant(std::shared_ptr<Dispatch>(std::make_shared<Echo>()));
    } else {
      return false;
    }
    return true;
  }

 private:
  Variant value_;
};

class ComTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterComponent(u"Test.Echo", [] { return std::make_shared<Echo>(); });
  }
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

TEST(Com, NestingCountPerThread) {
  auto run = std::async(std::launch::async, [] {
    std::vector<long> seen{ComNestingCount()};
    seen.push_back(CoInitialize(nullptr));
    seen.push_back(CoInitialize(nullptr));
    seen.push_back(ComNestingCount());
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many: stays at zero
    seen.push_back(ComNestingCount());
    seen.push_back(CoInitialize(nullptr));
    CoUninitialize();
    return seen;
  });
  EXPECT_EQ(run.get(), (std::vector<long>{0, S_OK, S_FALSE, 2, 0, S_OK}));
}

TEST_F(ComTest, CreationNeedsComOnTheCallingThreadAndIgnoresCase) {
  EXPECT_NE(CreateComponent(u"test.ECHO"), nullptr);
  EXPECT_EQ(CreateComponent(u"Test.Missing"), nullptr);
  for (const char* builtin : {"Adodb.Stream", "ADODB.Stream", "vbscript.regexp"}) {
    ComObject object;
    EXPECT_TRUE(object.Create(builtin)) << builtin;
  }
  auto elsewhere = std::async(std::launch::async, [] {
    ComObject object;
    bool without = object.Create("Test.Echo");
    CoInitialize(nullptr);
    bool with = object.Create("Test.Echo");
    object.Clear();
    CoUninitialize();
    return std::pair(without, with);
  });
  EXPECT_EQ(elsewhere.get(), std::pair(false, true));
}

TEST_F(ComTest, ObjectLifetime) {
  const int before = Echo::alive;
  {
    ComObject first;
    ASSERT_TRUE(first.Create("Test.Echo"));
    first.Put("Value", Variant(7));
    ComObject copy = first;  // a second reference to the same object
    EXPECT_EQ(copy.CallNumber("Value"), 7);
    EXPECT_FALSE(first.Create("Test.Missing"));  // failure keeps the object
    EXPECT_EQ(first.CallNumber("Value"), 7);
    ASSERT_TRUE(first.Create("Test.Echo"));  // success replaces it
    EXPECT_EQ(first.CallNumber("Value"), 0);
    EXPECT_EQ(Echo::alive, before + 2);
    copy.Clear();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(Echo::alive, before + 1);
  }
  EXPECT_EQ(Echo::alive, before);
}

TEST_F(ComTest, FailedCallsGiveTheEmptyValueOfTheKindAsked) {
  ComObject empty;
  ComObject echo;
  ASSERT_TRUE(echo.Create("Test.Echo"));
  for (const ComObject* object : {&empty, &echo}) {
    EXPECT_EQ(object->CallText("Missing"), "");
    EXPECT_EQ(object->CallNumber("Missing"), 0);
    EXPECT_FALSE(object->CallBool("Missing"));
    EXPECT_TRUE(object->CallObject("Missing").IsEmpty());
    EXPECT_TRUE(object->Call("Missing").IsEmpty());
    EXPECT_FALSE(object->Put("Missing", Variant(1)));
  }
  EXPECT_TRUE(echo.CallObject("Echo", {Variant(u"not an object")}).IsEmpty());
  EXPECT_FALSE(echo.CallObject("Self").IsEmpty());
}

TEST_F(ComTest, TextsCrossAsUtf16AndEndAtTheFirstNul) {
  ComObject echo;
  ASSERT_TRUE(echo.Create("Test.Echo"));
  const TextValue chinese = GbkFromUtf8("查询：单号");
  EXPECT_EQ(echo.Call("Echo", {Variant::FromText(chinese)}).ToWide(), u"查询：单号");
  EXPECT_EQ(echo.CallText("Echo", {Variant::FromText(chinese)}), chinese);
  EXPECT_EQ(echo.CallText("Echo", {Variant(std::u16string(u"ab\0cd", 5))}), "ab");
  EXPECT_EQ(echo.CallText("NAME"), "NAME");  // the member name as it arrived
  EXPECT_EQ(echo.CallText("Echo", {Variant(true)}), "-1");
  EXPECT_EQ(echo.CallNumber("Echo", {Variant(u" 12.5 ")}), 12.5);
  EXPECT_TRUE(echo.CallBool("Echo", {Variant(u"True")}));
}

}  // namespace
