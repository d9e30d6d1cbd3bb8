#include "platform/clock.h"
#include "platform/codePage.h"
#include "platform/locale.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, CyrillicRoundTripsThroughWindows1251)
{
    const QString text = QStringLiteral("Иванов Пётр ЁЖ ёж №«»–");
    const QByteArray bytes = platform::ToAnsi(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xC8); // И
    EXPECT_EQ(platform::FromAnsi(bytes), text);
}

TEST(CodePage, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(platform::ToAnsi(platform::FromAnsi(all)), all);
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(platform::ToAnsi(QStringLiteral("a\u4E2Db\U0001F600c")), QByteArray("a?b?c"));
}

TEST(CodePage, Utf8Validation)
{
    EXPECT_TRUE(platform::IsWellFormedUtf8("plain"));
    EXPECT_TRUE(platform::IsWellFormedUtf8(QStringLiteral("Пётр").toUtf8()));
    EXPECT_FALSE(platform::IsWellFormedUtf8("\xCF\xE5\xF2\xF0")); // cp1251 bytes
    EXPECT_FALSE(platform::IsWellFormedUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(platform::IsWellFormedUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(platform::IsWellFormedUtf8("\xE2\x82"));         // cut short
    EXPECT_EQ(platform::Utf8ToAnsi(QStringLiteral("Ёлка").toUtf8()), platform::ToAnsi(QStringLiteral("Ёлка")));
}

TEST(Locale, CollationIsCaseSensitiveAndAlphabetical)
{
    const platform::Collation ru(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_LT(ru.compare(u"Абрамов", u"Яковлев"), 0);
    EXPECT_LT(ru.compare(u"Ёлкин", u"Жуков"), 0);
    EXPECT_NE(ru.compare(u"Петров", u"петров"), 0);
    EXPECT_EQ(ru.compare(u"Петров", u"Петров"), 0);
    EXPECT_LT(ru.sortKey(QStringLiteral("Абрамов")).compare(ru.sortKey(QStringLiteral("Яковлев"))), 0);
}

TEST(Locale, ShortDateHasFourDigitYearAndLcidPicksLocale)
{
    EXPECT_TRUE(platform::ShortDateFormat().contains(QStringLiteral("yyyy")));
    EXPECT_EQ(platform::LocaleFromLcid(1049).language(), QLocale::Russian);
    EXPECT_EQ(platform::LocaleFromLcid(1033).language(), QLocale::English);
}

TEST(Clock, DayNumbersAndOverride)
{
    EXPECT_EQ(platform::DayFromDate(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(platform::DayFromDate(QDate(1900, 1, 1)), 2);
    EXPECT_EQ(platform::DateFromDay(-1), QDate(1899, 12, 29));
    EXPECT_EQ(platform::DayFromDate(QDate(2005, 3, 1)), 38412);
    EXPECT_EQ(platform::WholeDay(38412.75), 38412);
    EXPECT_DOUBLE_EQ(platform::DateTimeFromQDateTime(QDateTime(QDate(2005, 3, 1), QTime(18, 0))), 38412.75);

    platform::SetClockForTesting([] { return 38412.5; });
    EXPECT_EQ(platform::Today(), 38412);
    platform::SetClockForTesting({});
    EXPECT_EQ(platform::Today(), platform::DayFromDate(QDate::currentDate()));
    // The whole day drops the time toward zero, also before day 0.
    EXPECT_EQ(platform::WholeDay(-0.5), 0);
    EXPECT_EQ(platform::WholeDay(-1.5), -1);
}

} // namespace
