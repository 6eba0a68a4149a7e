// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/profile_file.h"

#include <gtest/gtest.h>

#include "profiles/profile_editor.h"

namespace profiles {
namespace {

std::int32_t Int32At(const Bytes& f, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(f[at + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void PutInt32(Bytes& f, std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        f[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

TProfileEntry Entry(const std::string& name) {
    TProfileEntry e;
    e.name = name;
    e.startPosition = 7;
    e.primaryTolerance = "1%";
    e.primaryReference = "100";
    e.secondaryTolerance = "OFF";
    e.secondaryReference = "10000";
    for (std::size_t i = 0; i < e.settings.size(); ++i)
        e.settings[i] = static_cast<std::uint8_t>(i);
    return e;
}

// A profile of `names`, each entry made by Entry(), header bytes 4..99 set to
// 0xEE so a rewrite that loses them shows.
Bytes Profile(const std::vector<std::string>& names) {
    Bytes f(kHeaderSize + names.size() * kEntrySize, 0);
    PutInt32(f, 0, static_cast<std::int32_t>(names.size()));
    std::fill(f.begin() + 4, f.begin() + kHeaderSize, 0xEE);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto e = EncodeEntry(Entry(names[i]));
        std::copy(
            e.begin(), e.end(),
            f.begin() + static_cast<std::ptrdiff_t>(EntryOffset(static_cast<std::int32_t>(i + 1))));
    }
    return f;
}

std::vector<std::string> Names(const Bytes& f) {
    std::vector<std::string> names;
    for (const TProfileEntry& e : ReadProfile(f).entries) names.push_back(e.name);
    return names;
}

TEditorState Editor() {
    TEditorState ed;
    ed.entryName = "Резистор";
    ed.startPosition = 40;
    ed.primaryOffText = "выкл.";
    ed.secondaryOffText = "выкл.";
    ed.primaryTolerance = "выкл.";
    ed.secondaryTolerance = "выкл.";
    ed.primaryReference = "10000";
    ed.secondaryReference = "10000";
    return ed;
}

TEST(ProfileFile, NewProfileIs172BytesWithCountOneAndEntryAt100) {
    const TProfileEntry first = EntryFromEditor(Editor());
    const Bytes f = NewProfile(first);
    ASSERT_EQ(f.size(), 172u);
    EXPECT_EQ(Int32At(f, 0), 1);
    EXPECT_TRUE(std::all_of(f.begin() + 4, f.begin() + 100, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(f[100], 8);     // length of "Резистор"
    EXPECT_EQ(f[101], 0xD0);  // 'Р' in Windows-1251
    EXPECT_EQ(ReadEntry(f, 1), first);
}

TEST(ProfileFile, TolerancesOffAreStoredAsOffAndLoadAsItemZeroOfAnyLanguage) {
    const Bytes f = NewProfile(EntryFromEditor(Editor()));
    const auto entry = EncodeEntry(*ReadEntry(f, 1));
    for (std::size_t at : {std::size_t{16}, std::size_t{35}}) {
        EXPECT_EQ(entry[at], 3) << at;
        EXPECT_EQ(std::string(entry.begin() + at + 1, entry.begin() + at + 4), "OFF") << at;
    }
    const TLoadedEntry english = LoadEntry(*ReadEntry(f, 1), "off", "off");
    EXPECT_EQ(english.primaryTolerance, "off");
    EXPECT_EQ(english.secondaryTolerance, "off");
    const TLoadedEntry russian = LoadEntry(*ReadEntry(f, 1), "выкл.", "выкл.");
    EXPECT_EQ(russian.primaryTolerance, "выкл.");
}

// Offset 42 holds CBox31's index only when the secondary parameter is R.
struct SecondaryUnitCase {
    const char* name;
    int primaryParameter;
    int secondaryParameter;
    std::uint8_t stored;
};

void PrintTo(const SecondaryUnitCase& c, std::ostream* os) {
    *os << c.name;
}

class SecondaryUnit : public ::testing::TestWithParam<SecondaryUnitCase> {};

TEST_P(SecondaryUnit, StoredAtOffset42) {
    TEditorState ed = Editor();
    ed.primaryParameter = GetParam().primaryParameter;
    ed.secondaryParameter = GetParam().secondaryParameter;
    ed.secondaryUnit = 1;  // кОм
    ed.resistanceUnit = 2;
    ed.inductanceUnit = 0;
    ed.capacitanceUnit = 1;
    const auto bytes = EncodeEntry(EntryFromEditor(ed));
    EXPECT_EQ(bytes[42], GetParam().stored);
    const std::uint8_t primaryUnits[] = {2, 0, 1};
    EXPECT_EQ(bytes[23], primaryUnits[GetParam().primaryParameter]);
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondaryUnit,
                         ::testing::Values(SecondaryUnitCase{"PrimaryR_SecondaryR", 0, 0, 1},
                                           SecondaryUnitCase{"PrimaryL_SecondaryR", 1, 0, 1},
                                           SecondaryUnitCase{"PrimaryC_SecondaryR", 2, 0, 1},
                                           SecondaryUnitCase{"PrimaryR_SecondaryQ", 0, 1, 0},
                                           SecondaryUnitCase{"PrimaryC_SecondaryD", 2, 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Texts are cut to their field's capacity in characters.
struct CutCase {
    const char* name;
    std::string TEditorState::*field;
    std::string text;
    std::string stored;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.name;
}

class TextCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(TextCut, StoresTheFirstCharactersThatFit) {
    TEditorState ed = Editor();
    ed.*GetParam().field = GetParam().text;
    const TProfileEntry back = DecodeEntry(EncodeEntry(EntryFromEditor(ed)));
    const std::string got = GetParam().field == &TEditorState::entryName ? back.name
                            : GetParam().field == &TEditorState::primaryTolerance
                                ? back.primaryTolerance
                                : back.secondaryReference;
    EXPECT_EQ(got, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCut,
    ::testing::Values(
        CutCase{"LatinName15", &TEditorState::entryName, "ABCDEFGHIJKLMNO", "ABCDEFGHIJ"},
        CutCase{"CyrillicName15", &TEditorState::entryName, "Конденсатор_ёмк", "Конденсато"},
        CutCase{"NameOf10Kept", &TEditorState::entryName, "0123456789", "0123456789"},
        CutCase{"Tolerance", &TEditorState::primaryTolerance, "12345678%", "12345"},
        CutCase{"Reference", &TEditorState::secondaryReference, "12345678901", "1234567890"},
        CutCase{"CharacterWithoutCodePage", &TEditorState::entryName, "R€✓", "R€?"}),
    [](const auto& info) { return std::string(info.param.name); });

// A short text as stored: the length byte, then the field's bytes.
struct ShortTextCase {
    const char* name;
    std::size_t offset;  // of the length byte in the entry
    std::size_t capacity;
    std::uint8_t length;
    std::string field;  // the field's bytes, padded with zeros to its capacity
    std::string text;   // as read, UTF-8
    std::string TProfileEntry::*member;
};

void PrintTo(const ShortTextCase& c, std::ostream* os) {
    *os << c.name;
}

class ShortTextReading : public ::testing::TestWithParam<ShortTextCase> {};

TEST_P(ShortTextReading, StopsAtTheLengthTheCapacityAndTheFirstZero) {
    const ShortTextCase& c = GetParam();
    auto bytes = EncodeEntry(Entry("AB"));
    std::string field = c.field;
    field.resize(c.capacity, '\0');
    bytes[c.offset] = c.length;
    std::copy(field.begin(), field.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(c.offset + 1));
    const TProfileEntry e = DecodeEntry(bytes);
    EXPECT_EQ(e.*c.member, c.text);
    EXPECT_EQ((e.*c.member).find('\0'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortTextReading,
    ::testing::Values(
        ShortTextCase{"NameWithinItsLength", off::Name, 10, 2, "ABCD", "AB", &TProfileEntry::name},
        ShortTextCase{"NameLengthPastTheFieldStopsAtThePadding", off::Name, 10, 200, "AB", "AB",
                      &TProfileEntry::name},
        ShortTextCase{"NameLengthElevenOfAFullField", off::Name, 10, 11, "0123456789", "0123456789",
                      &TProfileEntry::name},
        ShortTextCase{"ZeroInsideTheLength", off::Name, 10, 5, std::string("AB\0CD", 5), "AB",
                      &TProfileEntry::name},
        ShortTextCase{"CyrillicNameFullField", off::Name, 10, 255, "\xCA\xEE\xED\xE4", "Конд",
                      &TProfileEntry::name},
        ShortTextCase{"EmptyName", off::Name, 10, 0, "XYZ", "", &TProfileEntry::name},
        ShortTextCase{"ToleranceLengthPastTheField", off::PrimaryTolerance, 5, 9, "1%", "1%",
                      &TProfileEntry::primaryTolerance},
        ShortTextCase{"SecondaryToleranceOff", off::SecondaryTolerance, 5, 77, "OFF", "OFF",
                      &TProfileEntry::secondaryTolerance},
        ShortTextCase{"ReferenceLengthPastTheField", off::PrimaryReference, 10, 12, "4,7", "4,7",
                      &TProfileEntry::primaryReference},
        ShortTextCase{"SecondaryReferenceFullField", off::SecondaryReference, 10, 10, "1234567890",
                      "1234567890", &TProfileEntry::secondaryReference}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileEdit, InsertAtTwoOfThreeMovesEntriesUp) {
    const Bytes f = Profile({"e1", "e2", "e3"});
    const TEdit edit = InsertEntry(f, 2, Entry("new"));
    ASSERT_TRUE(edit.Ok());
    EXPECT_EQ(edit.count, 4);
    EXPECT_EQ(Int32At(edit.file, 0), 4);
    EXPECT_EQ(edit.file.size(), kHeaderSize + 4 * kEntrySize);
    EXPECT_EQ(Names(edit.file), (std::vector<std::string>{"e1", "new", "e2", "e3"}));
    EXPECT_TRUE(std::equal(f.begin() + 4, f.begin() + 100, edit.file.begin() + 4));
}

TEST(ProfileEdit, InsertBehindTheLastEntryAppends) {
    const TEdit edit = InsertEntry(Profile({"e1", "e2"}), 3, Entry("new"));
    ASSERT_TRUE(edit.Ok());
    EXPECT_EQ(Names(edit.file), (std::vector<std::string>{"e1", "e2", "new"}));
}

TEST(ProfileEdit, DeleteTwoOfFourKeepsTheFileLength) {
    const Bytes f = Profile({"e1", "e2", "e3", "e4"});
    ASSERT_EQ(f.size(), 388u);
    const TEdit edit = DeleteEntry(f, 2);
    ASSERT_TRUE(edit.Ok());
    EXPECT_EQ(edit.count, 3);
    EXPECT_EQ(edit.file.size(), 388u);
    EXPECT_EQ(Names(edit.file), (std::vector<std::string>{"e1", "e3", "e4"}));
}

TEST(ProfileEdit, StoreRewritesOneEntryOrAppendsBehindTheLast) {
    const Bytes f = Profile({"e1", "e2"});
    const TEdit rewrite = StoreEntry(f, 2, Entry("x"));
    ASSERT_TRUE(rewrite.Ok());
    EXPECT_EQ(rewrite.count, 2);
    EXPECT_EQ(Names(rewrite.file), (std::vector<std::string>{"e1", "x"}));
    // Only entry 2's bytes differ.
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (i < EntryOffset(2) || i >= EntryOffset(3)) {
            ASSERT_EQ(f[i], rewrite.file[i]) << i;
        }
    }

    const TEdit append = StoreEntry(f, 3, Entry("y"));
    ASSERT_TRUE(append.Ok());
    EXPECT_EQ(append.count, 3);
    EXPECT_EQ(Names(append.file), (std::vector<std::string>{"e1", "e2", "y"}));
}

TEST(ProfileEdit, EditsOfALongerFileKeepItsTail) {
    Bytes f = Profile({"e1", "e2", "e3"});
    PutInt32(f, 0, 1);  // two deleted entries left behind
    const TEdit edit = InsertEntry(f, 1, Entry("n"));
    ASSERT_TRUE(edit.Ok());
    EXPECT_EQ(edit.file.size(), f.size());
    EXPECT_EQ(Names(edit.file), (std::vector<std::string>{"n", "e1"}));
    EXPECT_TRUE(std::equal(f.begin() + static_cast<std::ptrdiff_t>(EntryOffset(3)), f.end(),
                           edit.file.begin() + static_cast<std::ptrdiff_t>(EntryOffset(3))));
}

TEST(ProfileEdit, EmptyFourByteProfileTakesItsFirstEntry) {
    Bytes f(4, 0);
    const TEdit edit = StoreEntry(f, 1, Entry("a"));
    ASSERT_TRUE(edit.Ok());
    EXPECT_EQ(edit.file.size(), 172u);
    EXPECT_EQ(Names(edit.file), (std::vector<std::string>{"a"}));
}

// Numbers outside what an operation allows change nothing, and the count
// never drops below zero.
struct RefusedCase {
    const char* name;
    int entries;
    char operation;  // 'S' store, 'I' insert, 'D' delete
    std::int32_t n;
    TEditError error;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedEdit : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedEdit, ChangesNothing) {
    const RefusedCase& c = GetParam();
    std::vector<std::string> names;
    for (int i = 0; i < c.entries; ++i) names.push_back("e" + std::to_string(i + 1));
    const Bytes f = Profile(names);
    const TEdit edit = c.operation == 'S'   ? StoreEntry(f, c.n, Entry("x"))
                       : c.operation == 'I' ? InsertEntry(f, c.n, Entry("x"))
                                            : DeleteEntry(f, c.n);
    EXPECT_EQ(edit.error, c.error);
    EXPECT_TRUE(edit.file.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedEdit,
    ::testing::Values(RefusedCase{"StoreZero", 2, 'S', 0, TEditError::OutOfRange},
                      RefusedCase{"StoreTwoPastTheEnd", 2, 'S', 4, TEditError::OutOfRange},
                      RefusedCase{"InsertNegative", 2, 'I', -1, TEditError::OutOfRange},
                      RefusedCase{"InsertTwoPastTheEnd", 2, 'I', 4, TEditError::OutOfRange},
                      RefusedCase{"DeleteBehindTheLast", 2, 'D', 3, TEditError::OutOfRange},
                      RefusedCase{"DeleteZero", 2, 'D', 0, TEditError::OutOfRange},
                      RefusedCase{"DeleteOnEmptyProfile", 0, 'D', 1, TEditError::EmptyProfile},
                      RefusedCase{"StoreHugeNumber", 2, 'S', INT32_MAX, TEditError::OutOfRange}),
    [](const auto& info) { return std::string(info.param.name); });

// A count that cannot be trusted makes the whole file damaged.
struct DamagedCase {
    const char* name;
    Bytes file;
    TDamage damage;
};

Bytes WithCount(Bytes f, std::int32_t count) {
    PutInt32(f, 0, count);
    return f;
}

Bytes CutShort(Bytes f) {
    f.pop_back();
    return f;
}

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedProfile : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedProfile, OffersNoEntryAndRefusesEdits) {
    const DamagedCase& c = GetParam();
    EXPECT_EQ(ReadCount(c.file).damage, c.damage);
    const TProfile p = ReadProfile(c.file);
    EXPECT_EQ(p.damage, c.damage);
    EXPECT_TRUE(p.entries.empty());
    EXPECT_FALSE(ReadEntry(c.file, 1));
    EXPECT_FALSE(DamageReason(c.damage).empty());
    for (const TEdit& edit : {StoreEntry(c.file, 1, Entry("x")), InsertEntry(c.file, 1, Entry("x")),
                              DeleteEntry(c.file, 1)}) {
        EXPECT_EQ(edit.error, TEditError::Damaged);
        EXPECT_EQ(edit.damage, c.damage);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedProfile,
    ::testing::Values(
        DamagedCase{"EmptyFile", {}, TDamage::ShortFile},
        DamagedCase{"ThreeBytes", {1, 0, 0}, TDamage::ShortFile},
        DamagedCase{"NegativeCount", WithCount(Profile({"a"}), -1), TDamage::NegativeCount},
        DamagedCase{"MostNegativeCount", WithCount(Profile({"a"}), INT32_MIN),
                    TDamage::NegativeCount},
        DamagedCase{"CountOnePastTheEnd", WithCount(Profile({"a", "b"}), 3), TDamage::CountPastEnd},
        DamagedCase{"LargestCount", WithCount(Profile({"a"}), INT32_MAX), TDamage::CountPastEnd},
        DamagedCase{"LastEntryCutShort", CutShort(Profile({"a", "b"})), TDamage::CountPastEnd},
        DamagedCase{"CountOneInHeaderOnly", WithCount(Bytes(100, 0), 1), TDamage::CountPastEnd}),
    [](const auto& info) { return std::string(info.param.name); });

struct SalvageCase {
    const char* name;
    Bytes file;
    std::optional<TSalvage> salvage;
    std::vector<std::string> names;  // of the salvaged profile
};

void PrintTo(const SalvageCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes Cut(Bytes f, std::size_t bytes) {
    f.resize(f.size() - bytes);
    return f;
}

class ProfileSalvage : public ::testing::TestWithParam<SalvageCase> {};

TEST_P(ProfileSalvage, WholeEntriesOfAFileCutShort) {
    const SalvageCase& c = GetParam();
    const std::optional<TSalvage> s = Salvage(c.file);
    ASSERT_EQ(s.has_value(), c.salvage.has_value());
    const Bytes sound = Salvaged(c.file);
    if (!s) {
        EXPECT_TRUE(sound.empty());
        return;
    }
    EXPECT_EQ(s->counted, c.salvage->counted);
    EXPECT_EQ(s->whole, c.salvage->whole);
    // The salvaged profile is sound: its header (unused bytes kept) and its
    // whole entries byte for byte, nothing behind them.
    ASSERT_TRUE(ReadCount(sound).Ok());
    EXPECT_EQ(Names(sound), c.names);
    ASSERT_EQ(sound.size(), EntryOffset(s->whole + 1));
    EXPECT_TRUE(std::equal(sound.begin() + 4, sound.end(), c.file.begin() + 4));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileSalvage,
    ::testing::Values(
        SalvageCase{
            "LastEntryCutShort", CutShort(Profile({"a", "b", "c"})), TSalvage{3, 2}, {"a", "b"}},
        SalvageCase{"LastEntryCutToOneByte", Cut(Profile({"a", "b"}), 71), TSalvage{2, 1}, {"a"}},
        SalvageCase{"TwoEntriesMissing", WithCount(Profile({"a"}), 3), TSalvage{3, 1}, {"a"}},
        SalvageCase{"SoundFile", Profile({"a", "b"}), std::nullopt, {}},
        SalvageCase{"OnlyEntryCutShort", CutShort(Profile({"a"})), std::nullopt, {}},
        SalvageCase{"HeaderCutShort", WithCount(Bytes(60, 0), 1), std::nullopt, {}},
        SalvageCase{"NegativeCount", WithCount(Profile({"a", "b"}), -1), std::nullopt, {}},
        SalvageCase{"ThreeBytes", {1, 0, 0}, std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFile, CountZeroWithoutEntriesIsAnEmptyProfile) {
    for (std::size_t size : {std::size_t{4}, std::size_t{50}, std::size_t{100}, std::size_t{171}}) {
        const TProfile p = ReadProfile(Bytes(size, 0));
        EXPECT_TRUE(p.Ok()) << size;
        EXPECT_EQ(p.Count(), 0) << size;
    }
}

TEST(ProfileEditor, LoadMakesTheSettingsFitToSendAndClampsDamagedIndices) {
    TProfileEntry e = Entry("a");
    e.settings[protocol::rec::SourceIndex] = 2;
    e.settings[protocol::rec::Reserved17] = 9;
    e.primaryParameter = 7;
    e.primaryUnit = 3;
    e.secondaryParameter = 0;
    e.secondaryUnit = 200;
    const TLoadedEntry l = LoadEntry(e, "off", "off");
    EXPECT_EQ(l.settings.SourceIndex(), 0);
    EXPECT_EQ(l.settings.Reserved17(), 0);
    EXPECT_EQ(l.settings.Rate(), e.settings[protocol::rec::Rate]);
    EXPECT_EQ(l.primaryParameter, 0);
    EXPECT_EQ(l.primaryUnit, 0);
    EXPECT_EQ(l.secondaryUnit, 0);
    EXPECT_EQ(l.startPosition, 7);

    e.settings[protocol::rec::SourceIndex] = 1;
    e.secondaryParameter = 1;
    const TLoadedEntry q = LoadEntry(e, "off", "off");
    EXPECT_EQ(q.settings.SourceIndex(), 1);
    EXPECT_FALSE(q.secondaryUnit);  // CBox31 hidden
}

TEST(ProfileEditor, WrittenEntryLoadsBackIntoTheSameEditor) {
    TEditorState ed = Editor();
    ed.primaryTolerance = "0,5%";
    ed.primaryParameter = 2;
    ed.capacitanceUnit = 1;
    ed.primaryReference = "4,7";
    ed.secondaryTolerance = ">";
    ed.secondaryParameter = 0;
    ed.secondaryUnit = 2;
    ed.settings.Rate() = 3;
    const TLoadedEntry l =
        LoadEntry(DecodeEntry(EncodeEntry(EntryFromEditor(ed))), "выкл.", "выкл.");
    EXPECT_EQ(l.entryName, "Резистор");
    EXPECT_EQ(l.primaryTolerance, "0,5%");
    EXPECT_EQ(l.primaryParameter, 2);
    EXPECT_EQ(l.primaryUnit, 1);
    EXPECT_EQ(l.primaryReference, "4,7");
    EXPECT_EQ(l.secondaryTolerance, ">");
    EXPECT_EQ(l.secondaryUnit, 2);
    EXPECT_EQ(l.startPosition, 40);
    EXPECT_EQ(l.settings.Rate(), 3);
}

}  // namespace
}  // namespace profiles
