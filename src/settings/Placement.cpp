#include "Placement.h"

#include "Qlk.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace Qlk {

namespace {

// Stored positions come from a file the user may edit: anything beyond a
// million pixels either way is held there instead of overflowing.
int ToPixels(double value) {
    if (!std::isfinite(value)) return 0;
    return int(std::lround(qBound(-1e6, value, 1e6)));
}

const char* const kFormProp = "qlkFormTwips";
const char* const kFrameProp = "qlkFrameTwips";
const char* const kControlProp = "qlkTwips";
const char* const kKindProp = "qlkKind";
const char* const kFixedProp = "qlkFixedSize";

double Tx() { return P().desktop().screen().twipsPerPixelX; }
double Ty() { return P().desktop().screen().twipsPerPixelY; }

int MenuPixels(QWidget* form) {
    if (auto* main = qobject_cast<QMainWindow*>(form); main && main->menuWidget())
        return main->menuWidget()->sizeHint().height();
    return 0;
}

QRect PixelRect(QWidget* form, const FormTwips& t) {
    return QRect(ToPixelsX(t.Left), ToPixelsY(t.Top), ToPixelsX(t.ScaleWidth()),
                 ToPixelsY(t.ScaleHeight()) + MenuPixels(form));
}

FormTwips Model(const QWidget* form) {
    FormTwips t;
    const QRectF r = form->property(kFormProp).toRectF();
    const QSizeF frame = form->property(kFrameProp).toSizeF();
    t.Left = r.x();
    t.Top = r.y();
    t.Width = r.width();
    t.Height = r.height();
    t.FrameX = frame.width();
    t.FrameY = frame.height();
    return t;
}

void Apply(QWidget* form, const FormTwips& t) {
    form->setProperty(kFormProp, QRectF(t.Left, t.Top, t.Width, t.Height));
    form->setProperty(kFrameProp, QSizeF(t.FrameX, t.FrameY));
    const QRect px = PixelRect(form, t);
    form->move(px.topLeft());
    if (form->property(kFixedProp).toBool())
        form->setFixedSize(px.size());
    else
        form->resize(px.size());
}

// Changes one of the form's four measures and keeps the rest as they stand.
void SetFormField(QWidget* form, double FormTwips::*field, double value) {
    FormTwips t = GetForm(form);
    t.*field = value;
    Apply(form, t);
}

}  // namespace

int ToPixelsX(double twips) { return ToPixels(twips / Tx()); }
int ToPixelsY(double twips) { return ToPixels(twips / Ty()); }

// The ratio is exactly 1 at the design density, so a number passes unchanged.
// Left and Width, too, go by the vertical factor: stored files were always
// written so, and a horizontal factor would move every stored window.
double StoredFromTwips(double twips) { return twips * (Ty() / kDesignTwipsPerPixel); }
double TwipsFromStored(double stored) { return stored / (Ty() / kDesignTwipsPerPixel); }

void InitForm(QWidget* form, const FormTwips& twips, bool fixedSize) {
    form->setProperty(kFixedProp, fixedSize);
    Apply(form, twips);
}

FormTwips GetForm(QWidget* form) {
    FormTwips t = Model(form);
    const QRect px = PixelRect(form, t);
    // Keep the exact model while the window stands where the model put it;
    // take the live geometry once it was moved or resized.
    if (form->pos() != px.topLeft()) {
        t.Left = form->x() * Tx();
        t.Top = form->y() * Ty();
    }
    if (form->size() != px.size()) {
        t.Width = form->width() * Tx() + t.FrameX;
        t.Height = (form->height() - MenuPixels(form)) * Ty() + t.FrameY;
    }
    return t;
}

void SetForm(QWidget* form, const FormTwips& twips) { Apply(form, twips); }

void SetFormLeft(QWidget* form, double left) { SetFormField(form, &FormTwips::Left, left); }
void SetFormTop(QWidget* form, double top) { SetFormField(form, &FormTwips::Top, top); }
void SetFormHeight(QWidget* form, double height) { SetFormField(form, &FormTwips::Height, height); }
void SetFormWidth(QWidget* form, double width) { SetFormField(form, &FormTwips::Width, width); }

void PlaceControl(QWidget* control, const QRectF& twips, ControlKind kind) {
    control->setProperty(kKindProp, int(kind));
    SetControlTwips(control, twips);
}

QRectF ControlTwips(const QWidget* control) { return control->property(kControlProp).toRectF(); }

void SetControlTwips(QWidget* control, const QRectF& t) {
    control->setProperty(kControlProp, t);
    control->setGeometry(ToPixelsX(t.x()), ToPixelsY(t.y()), ToPixelsX(t.width()), ToPixelsY(t.height()));
}

ControlKind KindOf(const QWidget* control) { return ControlKind(control->property(kKindProp).toInt()); }

void CenterForm(QWidget* form) {
    const ScreenMetrics screen = P().desktop().screen();
    FormTwips t = GetForm(form);
    t.Left = (screen.width - t.Width) / 2;
    t.Top = (screen.height - t.Height) / 2;
    Apply(form, t);
}

QPointF PlaceBeside(const QRectF& main, const QSizeF& size, const QSizeF& screen, const QPointF& fallback) {
    // Along the main window's edge, as near its top (or left) as the screen allows.
    const double top = std::clamp(main.top(), 0.0, std::max(0.0, screen.height() - size.height()));
    const double left = std::clamp(main.left(), 0.0, std::max(0.0, screen.width() - size.width()));
    const QPointF candidates[] = {{main.right(), top},
                                  {main.left() - size.width(), top},
                                  {left, main.bottom()},
                                  {left, main.top() - size.height()}};
    const QRectF whole(QPointF(0, 0), screen);
    for (const QPointF& at : candidates) {
        const QRectF place(at, size);
        if (whole.contains(place) && !place.intersects(main)) return at;
    }
    return fallback;
}

void ScaleForm(QWidget* form) {
    const double x = Tx();
    FormTwips t = GetForm(form);
    t.Width = (t.Width - t.ScaleWidth()) + t.ScaleWidth() * x / kDesignTwipsPerPixel;
    Apply(form, t);
    const double y = Ty();
    t = GetForm(form);
    t.Height = (t.Height - t.ScaleHeight()) + t.ScaleHeight() * y / kDesignTwipsPerPixel;
    Apply(form, t);
    // Every placed control of this window, frames' children included, in
    // creation order; a window owned by this one scales itself.
    const QList<QWidget*> controls = form->findChildren<QWidget*>();
    for (QWidget* c : controls) {
        if (!c->property(kControlProp).isValid() || c->window() != form) continue;
        const ControlKind kind = KindOf(c);
        if (kind == ControlKind::ComboBox || kind == ControlKind::Skipped) continue;
        QRectF r = ControlTwips(c);
        const double left = r.x() * x / kDesignTwipsPerPixel;
        const double top = r.y() * y / kDesignTwipsPerPixel;
        const double width = r.width() * x / kDesignTwipsPerPixel;
        const double height =
            kind == ControlKind::DriveList ? r.height() : r.height() * y / kDesignTwipsPerPixel;
        SetControlTwips(c, QRectF(left, top, width, height));
    }
}

}  // namespace Qlk
