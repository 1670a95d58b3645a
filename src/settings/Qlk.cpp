#include "Qlk.h"

#include <QAction>

#include <charconv>
#include <cmath>
#include <limits>

namespace Qlk {

SharedSettings S;

namespace {
Platform* g_platform = nullptr;
bool g_writeFailureShown = false;
}  // namespace

Platform& P() {
    Q_ASSERT(g_platform);
    return *g_platform;
}

void SetPlatform(Platform* platform) { g_platform = platform; }

PlatformScope::PlatformScope(Platform& platform) : m_previous(g_platform) { g_platform = &platform; }

PlatformScope::~PlatformScope() { g_platform = m_previous; }

QString ReadSetting(const QString& section, const QString& key) {
    return P().store().readSetting(section, key);
}

namespace {
void ReportWriteFailure() {
    if (g_writeFailureShown) return;
    g_writeFailureShown = true;
    P().desktop().messageBox(
        nullptr,
        QStringLiteral("設定を保存できません。\n\n") + P().store().settingsPath() + u'\n' +
            P().store().lastSettingsError() +
            QStringLiteral("\n\nこのまま使えますが、変更した設定は次回の起動時には残りません。"),
        kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
}
}  // namespace

void WriteSetting(const QString& section, const QString& key, const QString& value) {
    if (!P().store().writeSetting(section, key, value)) ReportWriteFailure();
}

SettingsBatch::SettingsBatch() { P().store().beginSettingsBatch(); }

SettingsBatch::~SettingsBatch() {
    if (!P().store().endSettingsBatch()) ReportWriteFailure();
}

void ResetWriteFailureNotice() { g_writeFailureShown = false; }

// Reads the longest leading decimal number, skipping blanks anywhere in it,
// like the classic Val: optional sign, digits, one point, an exponent.
double Val(QStringView text) {
    std::string digits;
    bool seenDigit = false, seenPoint = false, seenExp = false, expDigit = false;
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (blank(c)) continue;
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9') {
            digits += char(u);
            (seenExp ? expDigit : seenDigit) = true;
        } else if ((u == '+' || u == '-') && (digits.empty() || (seenExp && (digits.back() == 'e')))) {
            digits += char(u);
        } else if (u == '.' && !seenPoint && !seenExp) {
            digits += '.';
            seenPoint = true;
        } else if ((u == 'e' || u == 'E' || u == 'd' || u == 'D') && seenDigit && !seenExp) {
            digits += 'e';
            seenExp = true;
        } else {
            break;
        }
        if (digits.size() > 400) break;
    }
    if (!seenDigit) return 0;
    if (seenExp && !expDigit) {
        while (!digits.empty() && (digits.back() == 'e' || digits.back() == '+' || digits.back() == '-'))
            digits.pop_back();
    }
    double value = 0;
    const char* first = digits.data();
    if (*first == '+') ++first;
    std::from_chars(first, digits.data() + digits.size(), value);
    if (!std::isfinite(value)) return 0;
    return value;
}

// Shortest text that reads back as the same single-precision number, never in
// exponent form: 1440, 1234.5, 1718.4.
QString NumberText(double value) {
    const float f = float(value);
    if (!std::isfinite(f)) return QStringLiteral("0");
    char buffer[128];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text;
}

QString IndexText(int index) { return index < 0 ? QString::number(index) : u' ' + QString::number(index); }

QString FlagText(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }

int CountValue(QStringView text) {
    const double v = std::nearbyint(Val(text));  // default rounding: ties to even
    if (v > std::numeric_limits<qint16>::max()) return std::numeric_limits<qint16>::max();
    if (v < std::numeric_limits<qint16>::min()) return std::numeric_limits<qint16>::min();
    return int(v);
}

int ClampRecentCount(QStringView text) { return qBound(0, CountValue(text), kMaxRecentCount); }

void ConnectCheckMark(QAction* item, QObject* receiver, std::function<void()> handler) {
    QObject::connect(item, &QAction::triggered, receiver, [item, handler] {
        item->setChecked(!item->isChecked());  // undo the automatic toggle
        handler();
    });
}

void ToggleTopmost(QWidget* window, QAction* mnuBefore) {
    if (mnuBefore->isChecked()) {
        P().desktop().setTopmost(window, false);
        mnuBefore->setChecked(false);
    } else {
        P().desktop().setTopmost(window, true);
        mnuBefore->setChecked(true);
    }
}

QString BrowserTooltip(int index) {
    if (!S.BrowserName[index].isEmpty()) return S.BrowserName[index];
    if (!S.Browser[index].isEmpty()) return S.Browser[index];
    return kNotSet;
}

}  // namespace Qlk
