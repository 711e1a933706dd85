// Reading the XSETTINGS list a desktop publishes: its integers in either byte order, strings and
// colours passed over, and nothing at all from a list cut short or made up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xsettings.h"

namespace {

enum Type : unsigned char { integer, string, colour };
struct Setting {
    Type type;
    std::string name;
    std::uint32_t value = 0;
    std::string text = {};
};

// A list as a manager writes it.
std::vector<unsigned char> List(bool bigEndian, const std::vector<Setting>& settings)
{
    std::vector<unsigned char> bytes{bigEndian, 0, 0, 0};
    auto number = [&](std::size_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<unsigned char>(value >> 8 * (bigEndian ? size - 1 - i : i)));
    };
    auto padded = [&](const std::string& text, int lengthSize) {
        number(text.size(), lengthSize);
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.resize(bytes.size() + (4 - text.size() % 4) % 4);
    };
    number(7, 4); // the serial
    number(settings.size(), 4);
    for (const Setting& setting : settings) {
        bytes.insert(bytes.end(), {setting.type, 0});
        padded(setting.name, 2);
        number(3, 4); // the serial of its last change
        setting.type == string ? padded(setting.text, 4) : number(setting.value, 4);
        if (setting.type == colour)
            number(setting.value, 4);
    }
    return bytes;
}

TEST(XSettings, IntegersAreReadInEitherByteOrderPastStringsAndColours)
{
    for (bool bigEndian : {false, true}) {
        auto list = List(bigEndian, {{string, "Net/ThemeName", 0, "Adwaita"}, {integer, "Net/DoubleClickTime", 900},
                                     {colour, "Gtk/Colour", 0x8000ffff}, {integer, "Net/DoubleClickDistance", 8},
                                     {integer, "Xft/DPI", 0xffffffff}, {integer, "Net/DoubleClickTime", 100}});
        using Integers = std::map<std::string, std::int32_t>;
        EXPECT_EQ(XSettingsIntegers(list),
                  (Integers{{"Net/DoubleClickTime", 900}, {"Net/DoubleClickDistance", 8}, {"Xft/DPI", -1}}))
            << "big endian " << bigEndian;
    }
}

TEST(XSettings, AListCutShortAnywhereOrMadeUpGivesNothing)
{
    auto whole = List(false, {{integer, "Net/DoubleClickTime", 900}, {colour, "Gtk/Colour"}, {string, "Net/A", 0, "b"}});
    ASSERT_TRUE(XSettingsIntegers(whole));
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(XSettingsIntegers({whole.data(), size})) << "cut at " << size;
    const std::size_t stringLength = whole.size() - 8; // little-endian: its top byte at +3
    for (auto [at, value] : {std::pair<std::size_t, unsigned char>{0, 2}, {8, 4}, {12, 3}, {15, 0xff}, {stringLength + 3, 0xff}}) {
        std::vector<unsigned char> bytes = whole;
        bytes.at(at) = value; // a byte order, a count, a type, a name's length, a string's length
        EXPECT_FALSE(XSettingsIntegers(bytes)) << "byte " << at;
    }
}

} // namespace
