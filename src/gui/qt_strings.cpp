#include "qt_strings.h"

#include "text/cp1251.h"

#include <QByteArray>
#include <QDir>

#include <array>

namespace tildo {

namespace {

// CP1251 bytes of the first 0x500 code units, built once: the Cyrillic block
// and everything below it, so that nearly every character of a Russian text
// converts with one table look-up.
constexpr char16_t FastLimit = 0x500;

const std::array<char, FastLimit>& FastTable()
{
    static const std::array<char, FastLimit> table = [] {
        std::array<char, FastLimit> t {};
        for (char16_t u = 0; u < FastLimit; ++u) {
            const int b = UnicodeToCp1251(u);
            t[u] = static_cast<char>(b < 0 ? ForeignPlaceholder : b);
        }
        return t;
    }();
    return table;
}

} // namespace

QString ToQString(std::string_view cp1251)
{
    QString out(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (std::size_t i = 0; i < cp1251.size(); ++i)
        data[i] = QChar(Cp1251ToUnicode(static_cast<unsigned char>(cp1251[i])));
    return out;
}

char CharFromQChar(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < FastLimit)
        return FastTable()[u];
    if (u == QChar::ParagraphSeparator)
        return '\n';
    if (ch.isSurrogate())
        return static_cast<char>(ForeignPlaceholder);
    const int b = UnicodeToCp1251(u);
    return static_cast<char>(b < 0 ? ForeignPlaceholder : b);
}

void AppendFromQString(std::string& out, const QString& text)
{
    const auto& table = FastTable();
    const std::size_t base = out.size();
    const auto n = static_cast<std::size_t>(text.size());
    out.resize(base + n);
    char* to = out.data() + base;
    const char16_t* from = reinterpret_cast<const char16_t*>(text.constData());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = from[i];
        to[i] = u < FastLimit ? table[u] : CharFromQChar(QChar(u));
    }
}

std::string FromQString(const QString& text)
{
    std::string out;
    AppendFromQString(out, text);
    return out;
}

std::string PathFromQString(const QString& path)
{
    const QByteArray bytes = path.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathToQString(const std::string& path)
{
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::vector<std::string> StartArguments(const QStringList& arguments, const QString& startDirectory)
{
    std::vector<std::string> args;
    const QDir start(startDirectory);
    for (const QString& arg : arguments) {
        const bool testingSwitch = arg == QStringLiteral("/t");
        args.push_back(PathFromQString(testingSwitch || arg.isEmpty() ? arg : start.absoluteFilePath(arg)));
    }
    return args;
}

} // namespace tildo
