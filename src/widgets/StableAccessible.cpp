#include "StableAccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace StableAccessible {

namespace {

const char* const kMarkProp = "qlkStableName";
const char* const kMinProp = "qlkValueMinimum";
const char* const kMaxProp = "qlkValueMaximum";

// The number a label shows, as the settings dialog writes it (" 12").
QVariant ShownNumber(const QLabel* label) {
    bool ok = false;
    const double value = label->text().trimmed().toDouble(&ok);
    return ok ? QVariant(value) : QVariant();
}

class ValueLabel : public QAccessibleWidget,
                   public QAccessibleTextInterface,
                   public QAccessibleValueInterface {
public:
    explicit ValueLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QLabel* label() const { return static_cast<QLabel*>(widget()); }
    QString shown() const { return label()->text().trimmed(); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return widget()->accessibleName();
        if (t == QAccessible::Value) return shown();
        return QAccessibleWidget::text(t);
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Read-only text: no selection, no cursor of its own.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString s = shown();
        startOffset = qBound(0, startOffset, int(s.size()));
        endOffset = endOffset < 0 ? int(s.size()) : qBound(startOffset, endOffset, int(s.size()));
        return s.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return QString();
    }

    QVariant currentValue() const override { return ShownNumber(label()); }
    void setCurrentValue(const QVariant&) override {}  // shown, not set, here
    QVariant maximumValue() const override { return widget()->property(kMaxProp); }
    QVariant minimumValue() const override { return widget()->property(kMinProp); }
    QVariant minimumStepSize() const override { return 1; }
};

// An editable or plain combo box with its list and edit field as children,
// whose name does not turn into its text.
class NameComboBox : public QAccessibleWidget {
public:
    explicit NameComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }

    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->object() == combo()->view()) return 0;
        if (combo()->lineEdit() && child->object() == combo()->lineEdit()) return 1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = combo()->lineEdit();
        if (edit && edit->rect().contains(edit->mapFromGlobal(QPoint(x, y)))) return child(1);
        return nullptr;
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return widget()->accessibleName();
            case QAccessible::Value:
                return combo()->lineEdit() ? combo()->lineEdit()->text() : combo()->currentText();
            case QAccessible::Accelerator:
                return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction()) {
            if (combo()->view()->isVisible())
                combo()->hidePopup();
            else
                combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString&) const override { return QStringList(); }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kMarkProp).toBool()) return nullptr;
    if (auto* combo = qobject_cast<QComboBox*>(object)) return new NameComboBox(combo);
    if (auto* label = qobject_cast<QLabel*>(object)) return new ValueLabel(label);
    return nullptr;
}

void Mark(QWidget* widget, const QString& name) {
    static const bool installed = (QAccessible::installFactory(Factory), true);
    Q_UNUSED(installed);
    widget->setProperty(kMarkProp, true);
    // An interface made before the mark (a parent's may list its children
    // as they are added) is replaced by the marked one.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && !dynamic_cast<NameComboBox*>(made) && !dynamic_cast<ValueLabel*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    widget->setAccessibleName(name);
}

}  // namespace

void MarkValueLabel(QLabel* label, const QString& name, int minimum, int maximum) {
    label->setProperty(kMinProp, minimum);
    label->setProperty(kMaxProp, maximum);
    Mark(label, name);
}

void ValueChanged(QLabel* label) {
    QAccessibleValueChangeEvent event(label, ShownNumber(label));
    QAccessible::updateAccessibility(&event);
}

void MarkComboBox(QComboBox* combo, const QString& name) { Mark(combo, name); }

}  // namespace StableAccessible
