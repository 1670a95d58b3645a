#include "PlainToolTips.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

namespace PlainToolTips {

namespace {

class Filter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString text = widget->toolTip();
        // Widgets that make their own tooltips (menus, item views) keep them.
        if (text.isEmpty()) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), Literal(text), widget, QRect(), widget->toolTipDuration());
        return true;
    }
};

QPointer<Filter> installed;

}  // namespace

QString Literal(const QString& text) {
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void Install() {
    if (installed || !qApp) return;
    installed = new Filter(qApp);
    qApp->installEventFilter(installed);
}

}  // namespace PlainToolTips
