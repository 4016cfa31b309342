#include "engine/byte_io.h"
#include "engine/dbf_header.h"

#include <cstring>
#include <ctime>

namespace qorvel::engine {

namespace {

bool knownVersion(uint8_t v) {
    switch (v) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x30: case 0x31: case 0x32:
    case 0x43: case 0x63: case 0x83: case 0x8B: case 0xCB: case 0xE5: case 0xF5: case 0xFB:
        return true;
    default:
        return false;
    }
}

bool knownType(char t) {
    return std::strchr("CNLDMFIYTBGVQWP@+O0", t) != nullptr && t != '\0';
}

}  // namespace

bool validFieldName(std::string_view name) {
    if (name.empty() || name.size() > 10)
        return false;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!letter(name[0]) && name[0] != '_')
        return false;
    for (char c : name) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

bool DbfHeader::hasMemoFields() const {
    for (const auto& f : fields) {
        if (f.type == 'M' || f.type == 'G' || f.type == 'P')
            return true;
    }
    return false;
}

Result<DbfHeader> DbfHeader::parse(std::string_view b, const std::string& fileName) {
    if (b.size() < 32)
        return Status::Error(fileName + " is not a DBF table: it is shorter than a table header");
    DbfHeader h;
    h.version = static_cast<uint8_t>(b[0]);
    if (!knownVersion(h.version))
        return Status::Error(fileName + " is not a DBF table: unknown version byte");
    h.updateYear = 1900 + static_cast<unsigned char>(b[1]);
    h.updateMonth = static_cast<unsigned char>(b[2]);
    h.updateDay = static_cast<unsigned char>(b[3]);
    h.recordCount = le32(b.data() + 4);
    h.headerLength = le16(b.data() + 8);
    h.recordLength = le16(b.data() + 10);
    h.flags = static_cast<uint8_t>(b[28]);
    h.codePage = static_cast<uint8_t>(b[29]);
    if (h.headerLength < 32 + 1 || h.recordLength < 1)
        return Status::Error(fileName + " is not a DBF table: header or record length is impossible");
    return h;
}

Status DbfHeader::parseFields(std::string_view d, const std::string& fileName) {
    fields.clear();
    int offset = 1;
    size_t pos = 0;
    while (true) {
        if (pos >= d.size())
            return Status::Error(fileName + " is damaged: the field list has no end mark");
        if (d[pos] == 0x0D)
            break;
        if (pos + kDescriptorSize > d.size())
            return Status::Error(fileName + " is damaged: a field descriptor is cut short");
        const char* p = d.data() + pos;
        FieldInfo f;
        size_t nameLen = 0;
        while (nameLen < 11 && p[nameLen] != '\0')
            ++nameLen;
        f.name.assign(p, nameLen);
        for (char& c : f.name) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        }
        f.type = p[11];
        if (f.type >= 'a' && f.type <= 'z')
            f.type = static_cast<char>(f.type - 32);
        f.width = static_cast<unsigned char>(p[16]);
        f.decimals = static_cast<unsigned char>(p[17]);
        f.system = (static_cast<unsigned char>(p[18]) & 0x01) != 0;
        // Clipper keeps wide character fields' high byte in the decimals.
        if (f.type == 'C' && version != 0x30 && version != 0x31 && version != 0x32 && f.decimals > 0 &&
            offset + f.width + f.decimals * 256 <= int(recordLength)) {
            f.width += f.decimals * 256;
            f.decimals = 0;
        }
        if (f.name.empty() || !knownType(f.type) || f.width <= 0)
            return Status::Error(fileName + " is damaged: field " + std::to_string(fields.size() + 1) +
                                 " has an invalid name, type or width");
        f.offset = offset;
        offset += f.width;
        if (offset > int(recordLength))
            return Status::Error(fileName + " is damaged: the fields are longer than the record length");
        fields.push_back(std::move(f));
        pos += kDescriptorSize;
        if (fields.size() > 2048)
            return Status::Error(fileName + " is damaged: too many fields");
    }
    if (fields.empty())
        return Status::Error(fileName + " is not a DBF table: it has no fields");
    return Status::Ok();
}

Result<DbfHeader> DbfHeader::forNewTable(const std::vector<FieldInfo>& in) {
    if (in.empty())
        return Status::Error("A table needs at least one field");
    if (in.size() > 255)
        return Status::Error("A table can have at most 255 fields");
    DbfHeader h;
    int offset = 1;
    for (const FieldInfo& f0 : in) {
        FieldInfo f = f0;
        for (char& c : f.name) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        }
        if (!validFieldName(f.name))
            return Status::Error("Invalid field name \"" + f.name + "\"");
        for (const auto& g : h.fields) {
            if (g.name == f.name)
                return Status::Error("Field name \"" + f.name + "\" is used twice");
        }
        switch (f.type) {
        case 'C':
            if (f.width < 1 || f.width > 254)
                return Status::Error("Field " + f.name + ": character width must be 1 to 254");
            f.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (f.width < 1 || f.width > 20 || f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
                return Status::Error("Field " + f.name + ": numeric width must be 1 to 20 with room for decimals");
            break;
        case 'L': f.width = 1; f.decimals = 0; break;
        case 'D': f.width = 8; f.decimals = 0; break;
        case 'M': f.width = 10; f.decimals = 0; break;
        default:
            return Status::Error("Field " + f.name + ": type " + std::string(1, f.type) + " cannot be created");
        }
        f.offset = offset;
        offset += f.width;
        h.fields.push_back(f);
    }
    h.version = h.hasMemoFields() ? kFoxProMemo : kPlain;
    h.headerLength = 32 + kDescriptorSize * static_cast<uint32_t>(h.fields.size()) + 1;
    h.recordLength = static_cast<uint32_t>(offset);
    if (h.recordLength > 65500)
        return Status::Error("The record would be longer than 65500 bytes");
    h.stampToday();
    return h;
}

void DbfHeader::stampToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    updateYear = local.tm_year + 1900;
    updateMonth = local.tm_mon + 1;
    updateDay = local.tm_mday;
}

std::string DbfHeader::serializeFixed() const {
    std::string b(32, '\0');
    b[0] = static_cast<char>(version);
    b[1] = static_cast<char>(updateYear - 1900);
    b[2] = static_cast<char>(updateMonth);
    b[3] = static_cast<char>(updateDay);
    putLe32(&b[4], recordCount);
    putLe16(&b[8], headerLength);
    putLe16(&b[10], recordLength);
    b[28] = static_cast<char>(flags);
    b[29] = static_cast<char>(codePage);
    return b;
}

std::string DbfHeader::serialize() const {
    std::string b = serializeFixed();
    for (const FieldInfo& f : fields) {
        char d[kDescriptorSize] = {};
        std::memcpy(d, f.name.data(), std::min<size_t>(f.name.size(), 10));
        d[11] = f.type;
        putLe32(d + 12, static_cast<uint32_t>(f.offset));
        d[16] = static_cast<char>(f.width & 0xFF);
        d[17] = static_cast<char>(f.decimals);
        b.append(d, kDescriptorSize);
    }
    b += '\x0D';
    if (b.size() < headerLength)
        b.append(headerLength - b.size(), '\0');
    return b;
}

}  // namespace qorvel::engine
