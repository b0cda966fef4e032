// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "project/profile.h"
#include "project/windows1250.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;

// Files in Windows-1250, as they lie on disk.
std::optional<QString> value(const QByteArray &file, const QString &section, const QString &key)
{
    const auto values = readSection(decodeWindows1250(file), section, {key});
    return values ? values->front() : std::nullopt;
}

std::optional<QByteArray> setValues(const QByteArray &file, const QString &section, const std::vector<Entry> &entries)
{
    const auto text = writeSection(decodeWindows1250(file), section, entries);
    return text ? encodeWindows1250(*text) : std::nullopt;
}

std::optional<QByteArray> setValue(const QByteArray &file, const QString &section, const QString &key,
                                   const QString &v)
{
    return setValues(file, section, {{key, v}});
}

struct LookupCase {
    const char *name;
    QByteArray file;
    const char *section;
    const char *key;
    std::optional<QString> expected;
};

void PrintTo(const LookupCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProfileLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookup, FollowsTheProfileRules)
{
    const LookupCase &c = GetParam();
    EXPECT_EQ(value(c.file, QString::fromLatin1(c.section), QString::fromLatin1(c.key)), c.expected);
}

const QString kLong(3000, u'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookup,
    ::testing::Values(
        LookupCase{"plain", "[CZASY]\r\nUzytkownik=50\r\n", "CZASY", "Uzytkownik", u"50"_s},
        LookupCase{"lf_only", "[CZASY]\nUzytkownik=50\n", "CZASY", "Uzytkownik", u"50"_s},
        LookupCase{"no_final_line_end", "[CZASY]\r\nUzytkownik=50", "CZASY", "Uzytkownik", u"50"_s},
        LookupCase{"lower_case_names", "[czasy]\r\nuzytkownik=50\r\n", "CZASY", "Uzytkownik", u"50"_s},
        LookupCase{"mixed_case_names", "[CzAsY]\r\nUZYTKOWNIK=50\r\n", "czasy", "uzytkownik", u"50"_s},
        LookupCase{"blanks_round_names_and_value", "  [ CZASY ]  \r\n\t Uzytkownik \t=  50 \t\r\n", "CZASY",
                   "Uzytkownik", u"50"_s},
        LookupCase{"double_quotes", "[S]\r\nk=\"AB CD\"\r\n", "S", "k", u"AB CD"_s},
        LookupCase{"single_quotes", "[S]\r\nk='AB'\r\n", "S", "k", u"AB"_s},
        LookupCase{"blanks_inside_quotes_kept", "[S]\r\nk=  \" AB \"  \r\n", "S", "k", u" AB "_s},
        LookupCase{"only_one_pair_of_quotes", "[S]\r\nk='\"AB\"'\r\n", "S", "k", u"\"AB\""_s},
        LookupCase{"quotes_that_differ_stay", "[S]\r\nk=\"AB'\r\n", "S", "k", u"\"AB'"_s},
        LookupCase{"lone_quote_stays", "[S]\r\nk=\"\r\n", "S", "k", u"\""_s},
        LookupCase{"empty_quotes", "[S]\r\nk=\"\"\r\n", "S", "k", u""_s},
        LookupCase{"quote_inside_kept", "[S]\r\nk=\"A\"B\"\r\n", "S", "k", u"A\"B"_s},
        LookupCase{"empty_value_is_present", "[S]\r\nk=\r\n", "S", "k", u""_s},
        LookupCase{"equals_in_value", "[S]\r\nk=a=b\r\n", "S", "k", u"a=b"_s},
        LookupCase{"first_key_wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", u"1"_s},
        LookupCase{"first_section_wins", "[S]\r\nk=1\r\n[s]\r\nk=2\r\n", "S", "k", u"1"_s},
        LookupCase{"later_section_of_same_name_not_searched", "[S]\r\nx=1\r\n[S]\r\nk=2\r\n", "S", "k",
                   std::nullopt},
        LookupCase{"key_of_other_section", "[A]\r\nk=1\r\n[B]\r\n", "B", "k", std::nullopt},
        LookupCase{"key_before_any_section", "k=1\r\n[S]\r\n", "S", "k", std::nullopt},
        LookupCase{"missing_section", "[A]\r\nk=1\r\n", "S", "k", std::nullopt},
        LookupCase{"comment_line", "[S]\r\n;k=1\r\n", "S", "k", std::nullopt},
        LookupCase{"line_without_equals", "[S]\r\nk\r\nk=2\r\n", "S", "k", u"2"_s},
        LookupCase{"header_with_trailing_text", "[S] ; note\r\nk=1\r\n", "S", "k", u"1"_s},
        LookupCase{"unclosed_header_is_no_section", "[S\r\nk=1\r\n", "S", "k", std::nullopt},
        LookupCase{"unclosed_header_does_not_end_section", "[S]\r\n[T\r\nk=1\r\n", "S", "k", u"1"_s},
        LookupCase{"value_cut_to_2047", "[S]\r\nk=" + kLong.toLatin1() + "\r\n", "S", "k", kLong.left(2047)},
        LookupCase{"quotes_dropped_before_cut", "[S]\r\nk=\"" + kLong.toLatin1() + "\"\r\n", "S", "k",
                   kLong.left(2047)},
        LookupCase{"windows_1250_letters",
                   "[S]\r\nk=\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\r\n", "S",
                   "k", u"ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"_s}),
    [](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

struct EditCase {
    const char *name;
    const char *before;
    const char *section;
    const char *key;
    QString value;
    const char *after;
};

void PrintTo(const EditCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProfileEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(ProfileEdit, ChangesOnlyWhatItMust)
{
    const EditCase &c = GetParam();
    const QString section = QString::fromLatin1(c.section), key = QString::fromLatin1(c.key);
    const auto after = setValue(c.before, section, key, c.value);
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, QByteArray(c.after));
    EXPECT_EQ(value(*after, section, key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileEdit,
    ::testing::Values(
        EditCase{"new_file", "", "S", "k", u"v"_s, "[S]\r\nk=v\r\n"},
        EditCase{"update_in_own_line", "; top\r\n[S]\r\na=1\r\nk=old\r\nb=2\r\n", "S", "k", u"new"_s,
                 "; top\r\n[S]\r\na=1\r\nk=new\r\nb=2\r\n"},
        EditCase{"update_keeps_spelling_and_line_end", "[s]\n  K = old  \n[T]\n", "S", "k", u"new"_s,
                 "[s]\n  K =new\n[T]\n"},
        EditCase{"update_first_of_twins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", u"3"_s, "[S]\r\nk=3\r\nk=2\r\n"},
        EditCase{"update_to_empty", "[S]\r\nk=1\r\n", "S", "k", u""_s, "[S]\r\nk=\r\n"},
        EditCase{"missing_key_after_last_key_line", "[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\ny=2\r\n", "A", "k",
                 u"v"_s, "[A]\r\nx=1\r\nk=v\r\n; about B\r\n\r\n[B]\r\ny=2\r\n"},
        EditCase{"missing_key_in_section_without_keys", "[A]\r\n; nothing yet\r\n[B]\r\n", "A", "k", u"v"_s,
                 "[A]\r\nk=v\r\n; nothing yet\r\n[B]\r\n"},
        EditCase{"missing_key_in_last_section_without_line_end", "[A]\r\nx=1", "A", "k", u"v"_s,
                 "[A]\r\nx=1\r\nk=v\r\n"},
        EditCase{"missing_section_at_end", "[A]\r\nx=1\r\n", "B", "k", u"v"_s,
                 "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        EditCase{"missing_section_after_blank_line", "[A]\r\nx=1\r\n\r\n", "B", "k", u"v"_s,
                 "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        EditCase{"missing_section_after_unended_line", "; only a comment", "B", "k", u"v"_s,
                 "; only a comment\r\n\r\n[B]\r\nk=v\r\n"},
        EditCase{"section_found_in_other_case", "[czasy]\r\nuzytkownik=1\r\n", "CZASY", "Uzytkownik", u"5"_s,
                 "[czasy]\r\nuzytkownik=5\r\n"},
        EditCase{"polish_letters_in_windows_1250", "", "S", "k", u"Zażółć gęślą jaźń"_s,
                 "[S]\r\nk=Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n"}),
    [](const ::testing::TestParamInfo<EditCase> &info) { return std::string(info.param.name); });

// Any encoding holds a line only without breaks and NUL; which characters fit is for
// the file's writer to judge.
TEST(Profile, RefusesWhatNoLineCanHold)
{
    const QString text = u"[S]\r\nk=old\r\n"_s;
    const QString values[] = {u"a\nb"_s, u"a\rb"_s, QString(QChar(0)) + u"x"_s};
    for (const QString &v : values) {
        EXPECT_FALSE(writeSection(text, u"S"_s, {{u"k"_s, v}})) << v.toStdString();
        EXPECT_FALSE(writeSection(text, u"T"_s, {{u"k"_s, v}})) << v.toStdString();
    }
    // All or none: a bad entry after a good one stores neither.
    EXPECT_FALSE(writeSection(text, u"S"_s, {{u"k"_s, u"new"_s}, {u"j"_s, u"a\nb"_s}}));
    EXPECT_EQ(writeSection(text, u"S"_s, {{u"k"_s, u"日本"_s}}), u"[S]\r\nk=日本\r\n"_s);
}

TEST(Profile, RefusesNamesThatWouldNotReadBack)
{
    const struct {
        const char *section;
        const char *key;
    } names[] = {{"", "k"}, {"S", ""}, {"S]", "k"}, {"S", "k=1"}, {" S", "k"}, {"S", "k "}, {"S", ";k"}, {"[S", "k"}};
    for (const auto &n : names)
        EXPECT_FALSE(setValue("", QString::fromLatin1(n.section), QString::fromLatin1(n.key), u"v"_s))
            << n.section << "/" << n.key;
}

// Several entries act as if stored one after the other; each edit keeps every byte
// it does not write.
TEST(Profile, EditsOneAfterAnother)
{
    EXPECT_EQ(setValues("[S]\r\nb=old\r\n; end of S\r\n[T]\r\n", u"s"_s,
                        {{u"a"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"c"_s, u"3"_s}, {u"a"_s, u"4"_s}}),
              QByteArray("[S]\r\nb=2\r\na=4\r\nc=3\r\n; end of S\r\n[T]\r\n"));
    EXPECT_EQ(setValues("[S]\r\n  k =  v  \r\n", u"S"_s, {{u"k"_s, u"new"_s}, {u"K"_s, u"  v  "_s}}),
              QByteArray("[S]\r\n  k =  v  \r\n"));

    QByteArray file = "; top\n[A]\nx = 1 \n\n[B]\r\ny=2";
    const struct {
        const char16_t *section, *key, *value;
    } edits[] = {{u"A", u"z", u"3"}, {u"C", u"w", u"4"}, {u"a", u"X", u"5"}, {u"B", u"y", u"2"}, {u"C", u"v", u"ł"}};
    for (const auto &e : edits)
        file = setValue(file, QStringView(e.section).toString(), QStringView(e.key).toString(), QStringView(e.value).toString())
                   .value_or("<refused>");
    EXPECT_EQ(file, QByteArray("; top\n[A]\nx =5\nz=3\r\n\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\nv=\xB3\r\n"));
}

// A lone CR ends a line as LF and CR LF do, and stays as it was.
TEST(Profile, LoneCarriageReturnEndsALine)
{
    EXPECT_EQ(value("[S]\rk=1\r", u"s"_s, u"K"_s), u"1"_s);
    EXPECT_EQ(setValue("[S]\rk=1\rj=2", u"S"_s, u"k"_s, u"3"_s), QByteArray("[S]\rk=3\rj=2"));
}

TEST(Profile, NamesMatchInAnyLetterCase)
{
    const QByteArray file = "[\xA3\xF3\x64\x9F]\r\n\xB5=mu\r\nk=kelvin\r\nSS=ss\r\n";
    EXPECT_EQ(value(file, u"ŁÓDŹ"_s, u"\u039C"_s), u"mu"_s); // capital mu and the micro sign fold alike
    EXPECT_EQ(value(file, u"łódź"_s, u"\u212A"_s), u"kelvin"_s);
    EXPECT_EQ(value(file, u"łódź"_s, u"ß"_s), std::nullopt);
    EXPECT_EQ(value(file, u"lodz"_s, u"k"_s), std::nullopt);
}

} // namespace
} // namespace vorna::project
