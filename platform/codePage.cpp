#include "platform/codePage.h"

#include <array>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

#ifndef Q_OS_WIN
// Windows-1251, bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
constexpr std::array<char16_t, 128> kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Reverse map for the Cyrillic block U+0400..U+045F, the most frequent case.
struct Reverse {
    std::array<unsigned char, 0x60> cyrillic{};
    Reverse()
    {
        for (int i = 0; i < 128; ++i) {
            const char16_t u = kCp1251[i];
            if (u >= 0x0400 && u < 0x0460)
                cyrillic[u - 0x0400] = static_cast<unsigned char>(0x80 + i);
        }
    }
};

char EncodeOne(char16_t u)
{
    static const Reverse reverse;
    if (u < 0x80)
        return static_cast<char>(u);
    if (u >= 0x0400 && u < 0x0460) {
        const unsigned char b = reverse.cyrillic[u - 0x0400];
        return b ? static_cast<char>(b) : '?';
    }
    if (u == 0x98) // the unassigned byte decodes to this control character; keep the round trip
        return static_cast<char>(0x98);
    for (int i = 0; i < 128; ++i) {
        if (kCp1251[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}
#endif

} // namespace

QByteArray ToAnsi(QStringView text)
{
#ifdef Q_OS_WIN
    if (text.isEmpty())
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(text.utf16()), int(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(text.utf16()), int(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
#else
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character the code page cannot hold.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        if (c.isSurrogate()) {
            out.append('?');
            continue;
        }
        out.append(EncodeOne(c.unicode()));
    }
    return out;
#endif
}

QString FromAnsi(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    if (bytes.isEmpty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), reinterpret_cast<LPWSTR>(out.data()), n);
    return out;
#else
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            *dst++ = QChar(char16_t(b));
        } else {
            const char16_t u = kCp1251[b - 0x80];
            // The unassigned byte maps to the control character of the same value, as Windows does.
            *dst++ = QChar(u ? u : char16_t(b));
        }
    }
    return out;
#endif
}

bool IsWellFormedUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        unsigned int cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (int k = 1; k < len; ++k) {
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not well-formed.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

QByteArray Utf8ToAnsi(QByteArrayView utf8)
{
    return ToAnsi(QString::fromUtf8(utf8));
}

} // namespace platform
