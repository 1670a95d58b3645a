// Window and control geometry in twips (1/1440 inch), converted to pixels in
// this one place, and the two shared placement procedures.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

class QWidget;

namespace Qlk {

// Kinds of control that scaling treats specially.
enum class ControlKind { Plain, ComboBox, DriveList, Skipped };

// A form's outer geometry in twips: Left, Top, Width, Height as the user sees
// the whole window; the inner (client) area is the outer size less the frame.
struct FormTwips {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double FrameX = 0, FrameY = 0;
    double ScaleWidth() const { return Width - FrameX; }
    double ScaleHeight() const { return Height - FrameY; }
};

// Frame allowances in twips (title bar and borders, plus a menu bar).
inline constexpr double kFrameX = 120;
inline constexpr double kMainFrameY = 685;
inline constexpr double kMenuFrameY = 690;
inline constexpr double kPlainFrameY = 345;

// Declares a form's twip model and applies it to the widget; a fixed-size
// form cannot be resized by the user.
void InitForm(QWidget* form, const FormTwips& twips, bool fixedSize);
// The form's current twip geometry: the model, or what the window manager
// and the user made of it when the window was moved or resized since.
FormTwips GetForm(QWidget* form);
void SetForm(QWidget* form, const FormTwips& twips);
void SetFormLeft(QWidget* form, double left);
void SetFormTop(QWidget* form, double top);
void SetFormHeight(QWidget* form, double height);
void SetFormWidth(QWidget* form, double width);

// Places a control in its container, in twips.
void PlaceControl(QWidget* control, const QRectF& twips, ControlKind kind = ControlKind::Plain);
QRectF ControlTwips(const QWidget* control);
void SetControlTwips(QWidget* control, const QRectF& twips);
ControlKind KindOf(const QWidget* control);

// Stored window positions and sizes are twips at the design density of 15
// twips per pixel: a screen of another density converts them on the way out
// and back again on the way in (by its twips per pixel down), so a window
// comes back where and as large as it was. At 15 both leave a number as it is.
double StoredFromTwips(double twips);
double TwipsFromStored(double stored);

int ToPixelsX(double twips);
int ToPixelsY(double twips);

// Where a window of `size` first goes beside the main window `main`, wholly
// on a screen of `screen` (all in twips): to its right, else to its left,
// else below it, else above it, never over it; `fallback` when none fits.
QPointF PlaceBeside(const QRectF& main, const QSizeF& size, const QSizeF& screen, const QPointF& fallback);

// Centres the form on the whole screen; no rounding, so a form larger than the
// screen gets a negative position.
void CenterForm(QWidget* form);
// Rescales the form's inner area and every control (except combo boxes and
// skipped kinds; a drive list keeps its height) from the design density of
// 15 twips per pixel to the screen's.
void ScaleForm(QWidget* form);

}  // namespace Qlk
