#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "project/profile_document.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;
using Name = ProfileDocument::Name;

std::vector<Name> names(std::initializer_list<QString> texts)
{
    std::vector<Name> made;
    for (const QString &t : texts)
        made.emplace_back(t);
    return made;
}

std::vector<std::optional<QString>> texts(const ProfileDocument::Values &values, std::size_t count)
{
    std::vector<std::optional<QString>> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(values[i] ? std::optional(values[i]->toString()) : std::nullopt);
    return out;
}

TEST(ProfileNames, ValuesOfPreparedNamesTwinsIncluded)
{
    const auto doc = ProfileDocument::parse("[S]\r\na=1\r\nB= two \r\nc=\r\n[T]\r\na=9\r\n");
    const auto keys = names({u"a"_s, u"A"_s, u"b"_s, u"x"_s, u"c"_s, u"b"_s});
    const auto found = doc.values(Name(u"s"_s), keys);
    EXPECT_EQ(texts(found, keys.size()), (std::vector<std::optional<QString>>{u"1"_s, u"1"_s, u"two"_s, std::nullopt,
                                                                              u""_s, u"two"_s}));
    std::vector<std::optional<QString>> seen;
    found.forEach([&](std::optional<QStringView> v) {
        seen.push_back(v ? std::optional(v->toString()) : std::nullopt);
    });
    EXPECT_EQ(seen, texts(found, keys.size()));

    const auto none = doc.values(Name(u"U"_s), keys);
    EXPECT_EQ(texts(none, keys.size()), std::vector<std::optional<QString>>(keys.size()));

    // One long value asked for many times over: each gets its own copy.
    const QString longValue(300, u'v');
    const auto big = ProfileDocument::parse("[S]\r\nk=" + longValue.toLatin1() + "\r\n");
    const std::vector<Name> twins(50, Name(u"K"_s));
    const auto all = big.values(Name(u"S"_s), twins);
    EXPECT_EQ(texts(all, twins.size()), std::vector<std::optional<QString>>(twins.size(), longValue));
}

TEST(ProfileNames, SetValuesOfPreparedNames)
{
    auto doc = ProfileDocument::parse("[S]\r\nk=old\r\n");
    const auto keys = names({u"k"_s, u"new"_s});
    const std::vector<QStringView> values = {u"1", u"2"};
    ASSERT_TRUE(doc.setValues(Name(u"S"_s), keys, values));
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\nk=1\r\nnew=2\r\n"));
    // One value short: nothing is stored.
    EXPECT_FALSE(doc.setValues(Name(u"S"_s), keys, std::span(values).first(1)));
    EXPECT_FALSE(doc.setValues(Name(u"S]"_s), keys, values));
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\nk=1\r\nnew=2\r\n"));
}

TEST(ProfileNames, NamesInOtherScriptsFoldAsQtFoldsThem)
{
    const auto doc = ProfileDocument::parse("[\xA3\xF3\x64\x9F]\r\n\xB5=mu\r\nk=kelvin\r\nSS=ss\r\n");
    EXPECT_EQ(doc.value(u"ŁÓDŹ", u"\u039C"), u"mu"_s); // capital mu and the micro sign fold alike
    EXPECT_EQ(doc.value(u"łódź", u"\u212A"), u"kelvin"_s);
    EXPECT_EQ(doc.value(u"łódź", u"ß"), std::nullopt);
    EXPECT_EQ(doc.value(u"lodz", u"k"), std::nullopt);
}

TEST(ProfileNames, ACopyKeepsItsOwnLines)
{
    auto original = std::make_unique<ProfileDocument>(ProfileDocument::parse("[S]\r\nk=1\r\n; end"));
    ProfileDocument copy = *original;
    ASSERT_TRUE(copy.setValue(u"S", u"k", u"2"));
    ASSERT_TRUE(original->setValue(u"T", u"k", u"3"));
    EXPECT_EQ(original->toBytes(), QByteArray("[S]\r\nk=1\r\n; end\r\n\r\n[T]\r\nk=3\r\n"));
    original.reset();
    EXPECT_EQ(copy.toBytes(), QByteArray("[S]\r\nk=2\r\n; end"));
    EXPECT_EQ(copy.value(u"s", u"K"), u"2"_s);
}

TEST(ProfileNames, EditsOneAfterAnotherKeepEveryOtherByte)
{
    auto doc = ProfileDocument::parse("; top\n[A]\nx = 1 \n\n[B]\r\ny=2");
    ASSERT_TRUE(doc.setValue(u"A", u"z", u"3"));       // new key inside the file
    ASSERT_TRUE(doc.setValue(u"C", u"w", u"4"));       // new section after a line without line end
    ASSERT_TRUE(doc.setValue(u"a", u"X", u"5"));       // changed key keeps its LF
    ASSERT_TRUE(doc.setValue(u"B", u"y", u"2"));       // the same value leaves the line as it is
    ASSERT_TRUE(doc.setValue(u"C", u"v", u"ł"));
    EXPECT_EQ(doc.toBytes(), QByteArray("; top\n[A]\nx =5\nz=3\r\n\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\nv=\xB3\r\n"));
    EXPECT_EQ(ProfileDocument::parse(doc.toBytes()).toBytes(), doc.toBytes());
}

TEST(ProfileNames, TwinEntriesThatRestoreAValueLeaveTheLineAlone)
{
    auto doc = ProfileDocument::parse("[S]\r\n  k =  v  \r\n");
    ASSERT_TRUE(doc.setValues(u"S", {{u"k"_s, u"new"_s}, {u"K"_s, u"  v  "_s}}));
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\n  k =  v  \r\n"));
    ASSERT_TRUE(doc.setValues(u"S", {{u"K"_s, u"  v  "_s}, {u"k"_s, u"new"_s}}));
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\n  k =new\r\n"));
}

} // namespace
} // namespace vorna::project
