#include "engine/tool/address_generator.h"

#include <array>
#include <cstdio>
#include <random>
#include <string>

namespace qorvel::tool {

namespace {

constexpr std::array kLast = {"Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis",
                              "Rodriguez", "Martinez", "Hernandez", "Lopez", "Gonzalez", "Wilson", "Anderson",
                              "Thomas", "Taylor", "Moore", "Jackson", "Martin", "Lee", "Perez", "Thompson",
                              "White", "Harris", "Sanchez", "Clark", "Ramirez", "Lewis", "Robinson", "Walker",
                              "Young", "Allen", "King", "Wright", "Scott", "Torres", "Nguyen", "Hill", "Flores",
                              "Green", "Adams", "Nelson", "Baker", "Hall", "Rivera", "Campbell", "Mitchell",
                              "Carter", "Roberts", "O'Brien", "McDonald", "Müller", "Gagné", "Côté", "Lefèvre",
                              "Åberg", "Nuñez", "Šimek", "Smith-Jones", "Ó Briain", "Étienne", "Zoë"};
constexpr std::array kFirst = {"James", "Mary", "John", "Patricia", "Robert", "Jennifer", "Michael", "Linda",
                               "William", "Elizabeth", "David", "Barbara", "Richard", "Susan", "Joseph",
                               "Jessica", "Thomas", "Sarah", "Charles", "Karen", "Christopher", "Nancy",
                               "Daniel", "Lisa", "Matthew", "Betty", "Anthony", "Margaret", "Mark", "Sandra",
                               "José", "François", "Chloé", "Renée", "André", "Zoë", "Jürgen", "Søren", "Inés"};
constexpr std::array kPrefix = {"Mr.", "Mrs.", "Ms.", "Dr.", "Prof.", "Rev."};
constexpr std::array kTitle = {"President", "Manager", "Director", "Engineer", "Teacher", "Nurse",
                               "Accountant", "Volunteer Coordinator", "Owner", "Consultant"};
constexpr std::array kOrg = {"Acme Corp.", "Blue Sky Ltd.", "City Library", "First Church", "Green Grocers",
                             "Harbor Bank", "Maple School", "Northwind Traders", "Riverside Clinic",
                             "Zeta Partners"};
constexpr std::array kStreetName = {"Main", "Oak", "Pine", "Maple", "Cedar", "Elm", "Washington", "Lake",
                                    "Hill", "Park", "Sunset", "Church", "Mill", "River", "Rue Saint-Denis"};
constexpr std::array kStreetKind = {"St.", "Street", "Ave.", "Rd.", "Blvd.", "Lane", "Dr."};

struct City {
    const char* city;
    const char* state;
    const char* zip3;  // first digits of its ZIP codes, or a Canadian forward sortation area
    bool canada;
};
constexpr std::array kCities = {
    City{"Boston", "MA", "021", false},         City{"Springfield", "MA", "011", false},
    City{"New York", "NY", "100", false},       City{"Buffalo", "NY", "142", false},
    City{"Chicago", "IL", "606", false},        City{"Houston", "TX", "770", false},
    City{"Austin", "TX", "787", false},         City{"Phoenix", "AZ", "850", false},
    City{"Seattle", "WA", "981", false},        City{"Denver", "CO", "802", false},
    City{"Atlanta", "GA", "303", false},        City{"Miami", "FL", "331", false},
    City{"Portland", "OR", "972", false},       City{"Trenton", "NJ", "086", false},
    City{"Ottawa", "ON", "K1A", true},          City{"Toronto", "ON", "M5V", true},
    City{"Montréal", "QC", "H2X", true},        City{"Québec", "QC", "G1R", true},
    City{"St. John's", "NL", "A1C", true},      City{"Vancouver", "BC", "V6B", true},
};
constexpr std::array kCodes = {"A", "B", "C", "A,C", "B,D", "VIP", "X", "A,B,C", "MEMBER", "DONOR"};

template <typename Array>
const char* pick(std::mt19937_64& rng, const Array& a) {
    return a[std::uniform_int_distribution<size_t>(0, a.size() - 1)(rng)];
}

bool chance(std::mt19937_64& rng, int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }

int number(std::mt19937_64& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

std::string phone(std::mt19937_64& rng) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "(%03d) %03d-%04d", number(rng, 201, 989), number(rng, 200, 999),
                  number(rng, 0, 9999));
    return buf;
}

std::string lowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        else if (c == ' ' || c == '\'')
            c = '.';
    }
    return s;
}

}  // namespace

engine::Status appendGeneratedAddresses(engine::Table& table, uint64_t n, uint64_t seed,
                                        const engine::Progress& progress) {
    std::mt19937_64 rng(seed);
    auto field = [&table](const char* name) { return table.fieldIndex(name); };
    const int lname = field("LNAME"), fname = field("FNAME"), middle = field("MIDDLE"), prefix = field("PREFIX"),
              title = field("TITLE"), org = field("ORG"), street = field("STREET"), street2 = field("STREET2"),
              city = field("CITY"), state = field("STATE"), zip = field("ZIP"), country = field("COUNTRY"),
              date = field("DATE"), phone1 = field("PHONE"), phone2 = field("PHONE2"), fax = field("FAX"),
              email = field("EMAIL"), codes = field("CODES"), user1 = field("USER1"), user2 = field("USER2"),
              isdel = field("ISDEL"), memo = field("MEMO");
    if (lname < 0 || fname < 0 || zip < 0 || isdel < 0)
        return engine::Status::Error("The table is not an address table");
    table.beginBulk();
    auto set = [&table](int f, const std::string& v) -> engine::Status {
        return f < 0 ? engine::Status::Ok() : table.setString(f, v);
    };
    for (uint64_t i = 0; i < n; ++i) {
        if (auto st = table.appendBlank(); !st)
            return st;
        const City& c = kCities[std::uniform_int_distribution<size_t>(0, kCities.size() - 1)(rng)];
        std::string last = chance(rng, 2) ? "" : pick(rng, kLast);
        std::string first = chance(rng, 3) ? "" : pick(rng, kFirst);
        char buf[96];
        engine::Status st = set(lname, last);
        if (st) st = set(fname, first);
        if (st && chance(rng, 40)) st = set(middle, std::string(1, char('A' + number(rng, 0, 25))));
        if (st && chance(rng, 60)) st = set(prefix, pick(rng, kPrefix));
        if (st && chance(rng, 30)) st = set(title, pick(rng, kTitle));
        if (st && chance(rng, 35)) st = set(org, pick(rng, kOrg));
        std::snprintf(buf, sizeof buf, "%d %s %s", number(rng, 1, 9999), pick(rng, kStreetName), pick(rng, kStreetKind));
        if (st && !chance(rng, 3)) st = set(street, buf);
        if (st && chance(rng, 15)) {
            std::snprintf(buf, sizeof buf, "Apt. %d", number(rng, 1, 999));
            st = set(street2, buf);
        }
        if (st) st = set(city, c.city);
        if (st) st = set(state, chance(rng, 5) && !c.canada ? "Massachusetts" : c.state);
        if (c.canada)
            std::snprintf(buf, sizeof buf, "%s %d%c%d", c.zip3, number(rng, 0, 9), char('A' + number(rng, 0, 25)),
                          number(rng, 0, 9));
        else if (chance(rng, 30))
            std::snprintf(buf, sizeof buf, "%s%02d-%04d", c.zip3, number(rng, 0, 99), number(rng, 0, 9999));
        else
            std::snprintf(buf, sizeof buf, "%s%02d", c.zip3, number(rng, 0, 99));
        if (st && !chance(rng, 2)) st = set(zip, buf);
        if (st && (c.canada || chance(rng, 20))) st = set(country, c.canada ? "Canada" : "USA");
        if (st && chance(rng, 70)) {
            std::snprintf(buf, sizeof buf, "%04d%02d%02d", number(rng, 1985, 2026), number(rng, 1, 12),
                          number(rng, 1, 28));
            st = set(date, buf);
        }
        if (st && chance(rng, 80)) st = set(phone1, phone(rng));
        if (st && chance(rng, 25)) st = set(phone2, phone(rng));
        if (st && chance(rng, 10)) st = set(fax, phone(rng));
        if (st && chance(rng, 50) && !first.empty() && !last.empty()) {
            std::snprintf(buf, sizeof buf, "%s.%s@example.com", lowerAscii(first).c_str(), lowerAscii(last).c_str());
            st = set(email, buf);
        }
        if (st && chance(rng, 40)) st = set(codes, pick(rng, kCodes));
        if (st && chance(rng, 10)) st = set(user1, "Met at the spring fair");
        if (st && chance(rng, 5)) st = set(user2, "Prefers e-mail");
        // A soft-deleted record carries the deletion mark as well, as Delete leaves it.
        const bool softDeleted = chance(rng, 10);
        if (st && softDeleted) st = table.setLogical(isdel, true);
        if (st && memo >= 0 && chance(rng, 25)) {
            std::string text = "Called on " + std::to_string(number(rng, 1, 28)) + " May about the newsletter.";
            if (chance(rng, 30))
                text += "\r\nWants two copies; café on the corner is the drop-off.";
            st = table.setMemo(memo, text);
        }
        if (st)
            st = softDeleted ? table.deleteRecord() : table.post();
        if (!st)
            return st;
        if (progress && (i % 1024 == 0 || i + 1 == n))
            progress(i + 1, n);
    }
    return table.endBulk();
}

}  // namespace qorvel::tool
