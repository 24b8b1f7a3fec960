#include "services/object_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace avrtazu {
namespace {

struct Widget {
    virtual ~Widget() = default;
    virtual int answer() const { return 42; }
};

constexpr const char* kWidgetClass = "{B283E0E3-4C78-4369-B7D8-8A5C1EDA344B}";
constexpr const char* kWidgetInterface = "{12787098-07F0-44F7-87C6-77AC4C87CEDC}";

TEST(ObjectRegistryTest, CreatesByClassAndInterfaceIdIgnoringCase) {
    ObjectRegistry registry;
    auto shared = std::make_shared<Widget>();
    registry.registerClass<Widget>(kWidgetClass, kWidgetInterface, [shared] { return shared; });

    struct Case {
        const char* classId;
        const char* interfaceId;
        HRESULT result;
    } cases[] = {
        {kWidgetClass, kWidgetInterface, S_OK},
        {"{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", kWidgetInterface, S_OK},
        {kWidgetClass, "{12787098-07f0-44f7-87c6-77ac4c87cedc}", S_OK},
        {"{B283E0E3-4C78-4369-B7D8-8A5C1EDA344C}", kWidgetInterface, REGDB_E_CLASSNOTREG},
        {"B283E0E3-4C78-4369-B7D8-8A5C1EDA344B", kWidgetInterface, REGDB_E_CLASSNOTREG},
        {"", kWidgetInterface, REGDB_E_CLASSNOTREG},
        {kWidgetClass, "{00000000-0000-0000-C000-000000000046}", E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        std::shared_ptr<void> object = std::make_shared<int>(7);
        EXPECT_EQ(registry.createInstance(c.classId, c.interfaceId, &object), c.result)
            << c.classId << ' ' << c.interfaceId;
        if (c.result == S_OK) {
            EXPECT_EQ(object.get(), shared.get());
        } else {
            EXPECT_EQ(object, nullptr) << "a failed creation leaves no object behind";
        }
    }
}

TEST(ObjectRegistryTest, TypedCreationReportsItsResult) {
    ObjectRegistry registry;
    registry.registerClass<Widget>(kWidgetClass, kWidgetInterface,
                                   [] { return std::make_shared<Widget>(); });
    HRESULT result = E_FAIL;
    auto widget = registry.create<Widget>(kWidgetClass, kWidgetInterface, &result);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(widget->answer(), 42);
    EXPECT_NE(registry.create<Widget>(kWidgetClass, kWidgetInterface), widget)
        << "each creation makes a new object when the factory says so";

    EXPECT_EQ(registry.create<Widget>("{unknown}", kWidgetInterface, &result), nullptr);
    EXPECT_EQ(result, REGDB_E_CLASSNOTREG);
}

TEST(ObjectRegistryTest, RegistrationReplacesAndUnregistrationRemoves) {
    ObjectRegistry registry;
    auto first = std::make_shared<Widget>();
    auto second = std::make_shared<Widget>();
    registry.registerClass<Widget>(kWidgetClass, kWidgetInterface, [first] { return first; });
    registry.registerClass<Widget>("{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", kWidgetInterface,
                                   [second] { return second; });
    EXPECT_EQ(registry.create<Widget>(kWidgetClass, kWidgetInterface), second);

    registry.unregisterClass("{B283e0e3-4C78-4369-B7D8-8A5C1EDA344b}");
    EXPECT_FALSE(registry.isRegistered(kWidgetClass));
    EXPECT_EQ(registry.create<Widget>(kWidgetClass, kWidgetInterface), nullptr);

    registry.registerClass<Widget>(kWidgetClass, kWidgetInterface, [first] { return first; });
    registry.clear();
    EXPECT_FALSE(registry.isRegistered(kWidgetClass));
}

TEST(ObjectRegistryTest, FailingFactoriesAndNullOutValues) {
    ObjectRegistry registry;
    registry.registerClass(kWidgetClass, [](std::string_view) -> std::shared_ptr<void> {
        throw std::runtime_error("no memory for the hub");
    });
    std::shared_ptr<void> object;
    EXPECT_EQ(registry.createInstance(kWidgetClass, kWidgetInterface, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(registry.createInstance(kWidgetClass, kWidgetInterface, nullptr), E_POINTER);

    // A factory may unregister its own class while it runs.
    registry.registerClass(kWidgetClass, [&registry](std::string_view) -> std::shared_ptr<void> {
        registry.unregisterClass(kWidgetClass);
        return std::make_shared<Widget>();
    });
    EXPECT_EQ(registry.createInstance(kWidgetClass, kWidgetInterface, &object), S_OK);
    EXPECT_NE(object, nullptr);
    EXPECT_FALSE(registry.isRegistered(kWidgetClass));
}

} // namespace
} // namespace avrtazu
