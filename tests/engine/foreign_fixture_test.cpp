// Reads tables written by an independent FoxPro-compatible engine and checks every
// tag order, seek and digest against the expected results shipped beside them.
#include "engine/codepage.h"
#include "engine/table.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace qorvel::engine;

namespace {

std::string fixtureDir() {
    const char* d = std::getenv("QORVEL_FIXTURES");
    return std::string(d ? d : QORVEL_FIXTURES_DIR) + "/foxpro-cdx/";
}

// "\xC9TIENNE" -> bytes; quotes stripped.
std::string unescape(const std::string& q) {
    std::string s = q;
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string escape(std::string_view bytes) {
    size_t n = bytes.size();
    while (n > 0 && bytes[n - 1] == ' ')
        --n;
    std::string out = "\"";
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 32 || c > 126 || c == '"' || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The current key as the digest prints it: logical keys as .T./.F., others quoted.
std::string shownKey(Table& t) {
    if (t.eof())
        return "-";
    const std::string k = *t.currentKey();
    const std::string expr = t.tagInfo(t.order()).expression;
    if (expr == "ISDEL" || expr == "!ISDEL" || expr == "DELETED()")
        return k == "T" ? ".T." : ".F.";
    return escape(k);
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

std::unique_ptr<Table> openFixture(const std::string& name) {
    auto t = Table::open(fixtureDir() + name + ".dbf", OpenMode::SharedReadOnly);
    EXPECT_TRUE(t.ok()) << t.message();
    if (!t)
        return nullptr;
    (*t)->setDeletedHidden(false);
    return std::move(*t);
}

std::vector<uint32_t> walkOrder(Table& t, int order) {
    EXPECT_TRUE(t.setOrder(order).ok());
    std::vector<uint32_t> out;
    EXPECT_TRUE(t.goTop().ok());
    while (!t.eof()) {
        out.push_back(t.recNo());
        EXPECT_TRUE(t.skip(1).ok());
    }
    return out;
}

class ForeignTable : public ::testing::TestWithParam<const char*> {};

TEST_P(ForeignTable, WalksEveryTagInTheListedOrder) {
    auto t = openFixture(GetParam());
    ASSERT_TRUE(t);
    const auto lines = readLines(fixtureDir() + GetParam() + ".orders.txt");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        std::istringstream in(line);
        std::string tag;
        in >> tag;
        std::vector<uint32_t> expected;
        for (uint32_t r; in >> r;)
            expected.push_back(r);
        const int order = t->tagArea(tag);
        ASSERT_GT(order, 0) << tag;
        EXPECT_EQ(walkOrder(*t, order), expected) << "tag " << tag;
        // Backwards gives the same records in reverse.
        std::vector<uint32_t> back;
        ASSERT_TRUE(t->goBottom().ok());
        while (!t->bof() || back.empty()) {
            back.push_back(t->recNo());
            ASSERT_TRUE(t->skip(-1).ok());
            if (t->bof())
                break;
        }
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, expected) << "tag " << tag << " backwards";
    }
}

TEST_P(ForeignTable, ReproducesTheDigest) {
    auto t = openFixture(GetParam());
    ASSERT_TRUE(t);
    const auto lines = readLines(fixtureDir() + GetParam() + ".readcheck.txt");
    int checked = 0;
    for (const std::string& line : lines) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "RECCOUNT") {
            uint32_t n;
            in >> n;
            EXPECT_EQ(t->recordCount(), n);
        } else if (word == "FIELDS") {
            size_t n;
            in >> n;
            EXPECT_EQ(t->fields().size(), n);
        } else if (word == "FIELD") {
            size_t i;
            std::string name, type;
            int len, dec;
            in >> i >> name >> type >> len >> dec;
            const FieldInfo& f = t->fields()[i - 1];
            EXPECT_EQ(f.name, name);
            EXPECT_EQ(std::string(1, f.type), type);
            EXPECT_EQ(f.width, len);
            EXPECT_EQ(f.decimals, dec);
        } else if (word == "DELETEDCOUNT" || word == "MEMOCOUNT" || word == "MEMOSUM") {
            uint64_t expected;
            in >> expected;
            uint64_t deleted = 0, memos = 0, sum = 0;
            ASSERT_TRUE(t->setOrder(0).ok());
            ASSERT_TRUE(t->goTop().ok());
            const int memo = t->fieldIndex("MEMO");
            while (!t->eof()) {
                deleted += t->deleted();
                auto m = t->getMemo(memo);
                ASSERT_TRUE(m.ok()) << m.message();
                if (!m->empty()) {
                    // The digest is over the stored bytes.
                    auto raw = cp1252::fromUtf8(*m);
                    ASSERT_TRUE(raw.ok());
                    uint64_t bytes = 0;
                    for (unsigned char c : *raw)
                        bytes += c;
                    const uint64_t part = ((uint64_t(raw->size()) + 1) * bytes) % 1000003;
                    sum = (sum + t->recNo() * part) % (uint64_t(1) << 31);
                    ++memos;
                }
                ASSERT_TRUE(t->skip().ok());
            }
            if (word == "DELETEDCOUNT")
                EXPECT_EQ(deleted, expected);
            else if (word == "MEMOCOUNT")
                EXPECT_EQ(memos, expected);
            else
                EXPECT_EQ(sum, expected);
        } else if (word == "TAGS") {
            int n;
            in >> n;
            EXPECT_EQ(t->orderCount(), n);
        } else if (word == "TAG") {
            int i;
            std::string name, key, expression;
            in >> i >> name >> key >> expression;
            EXPECT_EQ(t->tagInfo(i).name, name);
            EXPECT_EQ(t->tagInfo(i).expression, expression);
        } else if (word == "ORDER") {
            std::string tag, what;
            in >> tag >> what;
            const auto order = walkOrder(*t, t->tagArea(tag));
            if (what == "keycount") {
                uint64_t keys, walked, checksum, sum = 0;
                std::string w1, w2;
                in >> keys >> w1 >> walked >> w2 >> checksum;
                EXPECT_EQ(order.size(), walked) << tag;
                for (size_t i = 0; i < order.size(); ++i)
                    sum = (sum + (i + 1) * order[i]) % (uint64_t(1) << 31);
                EXPECT_EQ(sum, checksum) << tag;
            } else if (what == "first20" || what == "last5") {
                std::vector<uint32_t> expected;
                for (uint32_t r; in >> r;)
                    expected.push_back(r);
                std::vector<uint32_t> got = order;
                if (what == "first20")
                    got.resize(std::min<size_t>(got.size(), 20));
                else
                    got.erase(got.begin(), got.end() - std::min<ptrdiff_t>(ptrdiff_t(got.size()), 5));
                EXPECT_EQ(got, expected) << tag << " " << what;
            } else if (what == "firstkey") {
                std::string first, w, last;
                const size_t a = line.find("firstkey ") + 9, b = line.find(" lastkey ");
                first = line.substr(a, b - a);
                last = line.substr(b + 9);
                ASSERT_TRUE(t->goTop().ok());
                EXPECT_EQ(shownKey(*t), first) << tag;
                ASSERT_TRUE(t->goBottom().ok());
                EXPECT_EQ(shownKey(*t), last) << tag;
            }
        } else if (word == "SEEK") {
            // SEEK TAG "value" soft Y last N -> found Y eof N recno r keyno k key "..."
            std::string tag, value, soft, last, arrow, found, eof, recno, keyno, key;
            std::string w;
            in >> tag;
            in >> std::ws;
            if (in.peek() == '"') {
                std::getline(in, value, '"');
                std::getline(in, value, '"');
                value = unescape("\"" + value + "\"");
            } else {
                in >> value;
            }
            in >> w >> soft >> w >> last >> arrow >> w >> found >> w >> eof >> w >> recno >> w >> keyno >> w;
            std::getline(in >> std::ws, key);
            ASSERT_TRUE(t->setOrder(t->tagArea(tag)).ok());
            t->setSoftSeek(soft == "Y");
            // The seek value crosses the interface as UTF-8.
            std::string utf8;
            for (unsigned char c : value) {
                if (c < 0x80) {
                    utf8 += static_cast<char>(c);
                } else {
                    utf8 += static_cast<char>(0xC0 | (c >> 6));
                    utf8 += static_cast<char>(0x80 | (c & 0x3F));
                }
            }
            auto r = t->seek(utf8, last == "Y");
            ASSERT_TRUE(r.ok()) << r.message();
            const std::string what = line;
            EXPECT_EQ(*r ? "Y" : "N", found) << what;
            EXPECT_EQ(t->eof() ? "Y" : "N", eof) << what;
            EXPECT_EQ(std::to_string(t->recNo()), recno) << what;
            EXPECT_EQ(std::to_string(*t->keyNo()), keyno) << what;
            EXPECT_EQ(shownKey(*t), key) << what;
            t->setSoftSeek(false);
        } else if (word == "LNAME50") {
            std::vector<uint32_t> expected;
            for (uint32_t r; in >> r;)
                expected.push_back(r);
            auto order = walkOrder(*t, t->tagArea("LNAME"));
            order.resize(std::min(order.size(), size_t(50)));
            EXPECT_EQ(order, expected);
        } else {
            continue;
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ForeignTable, ::testing::Values("hb300", "hb3000"));

}  // namespace
