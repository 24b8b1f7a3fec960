#include "services/object_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace avrtazu {
namespace {

constexpr const char* kClass = "{B283E0E3-4C78-4369-B7D8-8A5C1EDA344B}";
constexpr const char* kInterface = "{12787098-07F0-44F7-87C6-77AC4C87CEDC}";

TEST(ObjectRegistryTest, CreatesByClassAndInterfaceIdIgnoringCase) {
    ObjectRegistry registry;
    auto first = std::make_shared<int>(1);
    auto second = std::make_shared<int>(2);
    registry.registerClass<int>(kClass, kInterface, [first] { return first; });
    // Registering the class again, in other case, replaces the factory.
    registry.registerClass<int>("{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", kInterface,
                                [second] { return second; });
    const struct {
        const char* classId;
        const char* interfaceId;
        HRESULT result;
    } cases[] = {
        // clang-format off
        {kClass, kInterface, S_OK},
        {"{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", "{12787098-07f0-44f7-87c6-77ac4c87cedc}", S_OK},
        {"{B283E0E3-4C78-4369-B7D8-8A5C1EDA344C}", kInterface, REGDB_E_CLASSNOTREG},
        {"B283E0E3-4C78-4369-B7D8-8A5C1EDA344B", kInterface, REGDB_E_CLASSNOTREG},
        {kClass, "{00000000-0000-0000-C000-000000000046}", E_NOINTERFACE},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::shared_ptr<void> object = std::make_shared<int>(7);
        EXPECT_EQ(registry.createInstance(c.classId, c.interfaceId, &object), c.result)
            << c.classId << ' ' << c.interfaceId;
        EXPECT_EQ(object.get(), c.result == S_OK ? second.get() : nullptr) << c.classId;
    }
    HRESULT result = E_FAIL;
    EXPECT_EQ(registry.create<int>("{unknown}", kInterface, &result), nullptr);
    EXPECT_EQ(result, REGDB_E_CLASSNOTREG);
    registry.unregisterClass("{B283e0e3-4C78-4369-B7D8-8A5C1EDA344b}");
    EXPECT_FALSE(registry.isRegistered(kClass));
}

TEST(ObjectRegistryTest, FailingAndSelfUnregisteringFactories) {
    ObjectRegistry registry;
    registry.registerClass(kClass, [](std::string_view) -> std::shared_ptr<void> {
        throw std::runtime_error("no memory for the hub");
    });
    std::shared_ptr<void> object = std::make_shared<int>(7);
    EXPECT_EQ(registry.createInstance(kClass, kInterface, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(registry.createInstance(kClass, kInterface, nullptr), E_POINTER);
    registry.registerClass(kClass, [&registry](std::string_view) -> std::shared_ptr<void> {
        registry.unregisterClass(kClass);
        return std::make_shared<int>(1);
    });
    EXPECT_EQ(registry.createInstance(kClass, kInterface, &object), S_OK);
    EXPECT_NE(object, nullptr);
    EXPECT_FALSE(registry.isRegistered(kClass));
}

} // namespace
} // namespace avrtazu
