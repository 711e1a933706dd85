// Reading an XSETTINGS list, every length checked against the bytes that are there.

#include "xsettings.h"

#include <string_view>

namespace {

class Reader {
public:
    Reader(std::span<const unsigned char> bytes) : rest_(bytes) {}

    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

    std::optional<std::uint32_t> Number(std::size_t size)
    {
        if (rest_.size() < size)
            return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{rest_[bigEndian_ ? size - 1 - i : i]} << (8 * i);
        rest_ = rest_.subspan(size);
        return value;
    }

    // `length` bytes, then the padding to a multiple of 4.
    std::optional<std::string_view> Text(std::size_t length)
    {
        std::size_t padding = (4 - length % 4) % 4;
        if (length > rest_.size() || padding > rest_.size() - length)
            return std::nullopt;
        std::string_view text(reinterpret_cast<const char*>(rest_.data()), length);
        rest_ = rest_.subspan(length + padding);
        return text;
    }

    bool Skip(std::size_t size)
    {
        if (size > rest_.size())
            return false;
        rest_ = rest_.subspan(size);
        return true;
    }

private:
    std::span<const unsigned char> rest_;
    bool bigEndian_ = false;
};

enum SettingType : std::uint32_t { integerSetting = 0, stringSetting = 1, colorSetting = 2 };

} // namespace

std::optional<std::map<std::string, std::int32_t>> XSettingsIntegers(std::span<const unsigned char> bytes)
{
    Reader reader(bytes);
    auto byteOrder = reader.Number(1);
    if (!byteOrder || *byteOrder > 1) // LSBFirst or MSBFirst
        return std::nullopt;
    reader.SetBigEndian(*byteOrder == 1);
    std::optional<std::uint32_t> count;
    if (reader.Skip(3) && reader.Number(4)) // unused, the serial
        count = reader.Number(4);
    if (!count)
        return std::nullopt;
    std::map<std::string, std::int32_t> integers;
    for (std::uint32_t i = 0; i < *count; ++i) {
        std::optional<std::uint32_t> type = reader.Number(1), nameLength;
        if (type && reader.Skip(1))
            nameLength = reader.Number(2);
        std::optional<std::string_view> name;
        if (nameLength)
            name = reader.Text(*nameLength);
        if (!name || !reader.Number(4)) // the serial of its last change
            return std::nullopt;
        std::optional<std::uint32_t> length;
        switch (*type) {
        case integerSetting:
            if (auto value = reader.Number(4))
                integers.emplace(*name, static_cast<std::int32_t>(*value));
            else
                return std::nullopt;
            break;
        case stringSetting:
            length = reader.Number(4);
            if (!length || !reader.Text(*length))
                return std::nullopt;
            break;
        case colorSetting:
            if (!reader.Skip(8))
                return std::nullopt;
            break;
        default:
            return std::nullopt; // no length to pass over it by
        }
    }
    return integers;
}
