// Reading the XSETTINGS list a desktop publishes: its integers in either byte order, strings and
// colours passed over, and nothing at all from a list cut short or made up.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "xsettings.h"

namespace {

// A list as a manager writes it, in the byte order asked for.
class List {
public:
    explicit List(bool bigEndian, std::uint32_t count) : bigEndian_(bigEndian)
    {
        bytes.push_back(bigEndian ? 1 : 0);
        bytes.resize(4);
        Number(7, 4); // the serial
        Number(count, 4);
    }
    List& Integer(const std::string& name, std::int32_t value)
    {
        Head(0, name);
        Number(static_cast<std::uint32_t>(value), 4);
        return *this;
    }
    List& Text(const std::string& name, const std::string& value)
    {
        Head(1, name);
        Number(static_cast<std::uint32_t>(value.size()), 4);
        Padded(value);
        return *this;
    }
    List& Color(const std::string& name)
    {
        Head(2, name);
        Number(0xffff, 4);
        Number(0x8000ffff, 4);
        return *this;
    }
    std::vector<unsigned char> bytes;

private:
    void Number(std::uint32_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<unsigned char>(value >> 8 * (bigEndian_ ? size - 1 - i : i)));
    }
    void Padded(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.resize(bytes.size() + (4 - text.size() % 4) % 4);
    }
    void Head(unsigned char type, const std::string& name)
    {
        bytes.push_back(type);
        bytes.push_back(0);
        Number(static_cast<std::uint32_t>(name.size()), 2);
        Padded(name);
        Number(3, 4); // the serial of its last change
    }
    bool bigEndian_;
};

using Integers = std::map<std::string, std::int32_t>;

TEST(XSettings, IntegersAreReadInEitherByteOrderPastStringsAndColours)
{
    for (bool bigEndian : {false, true}) {
        List list(bigEndian, 6);
        list.Text("Net/ThemeName", "Adwaita").Integer("Net/DoubleClickTime", 900).Color("Gtk/Colour")
            .Integer("Net/DoubleClickDistance", 8).Integer("Xft/DPI", -1).Integer("Net/DoubleClickTime", 100);
        EXPECT_EQ(XSettingsIntegers(list.bytes),
                  (Integers{{"Net/DoubleClickTime", 900}, {"Net/DoubleClickDistance", 8}, {"Xft/DPI", -1}}))
            << "big endian " << bigEndian;
    }
    EXPECT_EQ(XSettingsIntegers(List(false, 0).bytes), Integers{});
}

TEST(XSettings, AListCutShortAnywhereOrMadeUpGivesNothing)
{
    List whole(false, 3);
    whole.Integer("Net/DoubleClickTime", 900).Text("Net/ThemeName", "Adwaita").Color("Gtk/Colour");
    ASSERT_TRUE(XSettingsIntegers(whole.bytes));
    for (std::size_t size = 0; size < whole.bytes.size(); ++size)
        EXPECT_FALSE(XSettingsIntegers({whole.bytes.data(), size})) << "cut at " << size;

    auto changed = [&](std::size_t at, unsigned char value) {
        std::vector<unsigned char> bytes = whole.bytes;
        bytes.at(at) = value;
        return XSettingsIntegers(bytes);
    };
    EXPECT_FALSE(changed(0, 2)) << "no such byte order";
    EXPECT_FALSE(changed(8, 4)) << "more settings than there are";
    EXPECT_FALSE(changed(12, 3)) << "no such type";
    EXPECT_FALSE(changed(15, 0xff)) << "a name longer than the list";
    List upToString(false, 3);
    upToString.Integer("Net/DoubleClickTime", 900).Text("Net/ThemeName", "");
    std::size_t lengthsTopByte = upToString.bytes.size() - 1; // the last field: its length, little-endian
    EXPECT_FALSE(changed(lengthsTopByte, 0xff)) << "a string longer than the list";
}

} // namespace
