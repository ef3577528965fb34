#pragma once
// The menu button: a focusable child window that paints everything itself — background, a
// bevel derived from its colour, a picture, a focus rectangle and a word-wrapped caption.
#include <cstdint>
#include <string>

#include "framework/win/Control.h"
#include "framework/win/Picture.h"

namespace tsb {

enum TAlignment {
    alTopLeft, alTopCenter, alTopRight,
    alMiddleLeft, alMiddleCenter, alMiddleRight,
    alBottomLeft, alBottomCenter, alBottomRight
};
enum TButtonBevel { bbLowered, bbNone, bbRaised };
enum TFontStyle { fnNormal, fnRaised, fnLowered };
enum TButtonStyles { bsAutoSize, bsCenter, bsStretch, bsShowFocus, bsSpeedKey, bsMultiState, bsMultiLine };
enum TButtonState { bstUp, bstDown, bstDisabled };

// The set of style flags: bit n stands for TButtonStyles value n.
class TButtonStyle {
public:
    constexpr TButtonStyle() = default;
    constexpr explicit TButtonStyle(uint8_t bits) : bits_(bits) {}
    constexpr TButtonStyle(std::initializer_list<TButtonStyles> flags) {
        for (auto f : flags) bits_ |= static_cast<uint8_t>(1u << f);
    }
    constexpr bool Has(TButtonStyles f) const { return bits_ & (1u << f); }
    constexpr uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TButtonStyle&) const = default;

private:
    uint8_t bits_ = 0;
};

class TColorButton : public TControl {
public:
    explicit TColorButton(TControl* parent);
    ~TColorButton() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TButtonBevel BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TButtonBevel v);
    int BevelSize() const { return bevelSize_; }
    void SetBevelSize(int v);
    const std::wstring& CaptionW() const { return captionW_; }
    void SetCaptionW(const std::wstring& v);
    void SetButtonColor(TColor c);  // Color: bevel colours follow, always repaints
    TFontStyle FontStyle() const { return fontStyle_; }
    void SetFontStyle(TFontStyle v);
    const TPicture& Picture() const { return picture_; }
    TPicture& Picture() { return picture_; }
    int PictureTop() const { return pictureTop_; }
    void SetPictureTop(int v) { pictureTop_ = v; }
    int PictureLeft() const { return pictureLeft_; }
    void SetPictureLeft(int v) { pictureLeft_ = v; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle v);
    bool Value() const { return state_ == bstDown; }
    void SetValue(bool v);

    TButtonState State() const { return state_; }
    TColor HighlightColor() const { return highlight_; }
    TColor ShadowColor() const { return shadow_; }

    TMouseEvent OnRightClick;

    void SetEnabled(bool v) override;
    bool DialogChar(char ch) override;
    // Paints the whole button, in window pixels, into any device context of its window's size.
    // First it brings the state in line with Enabled, sizes an auto-size button to its picture
    // and settles the picture's default place.
    void PaintTo(HDC dc);

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Paint(HDC dc) override;
    bool PaintsBackground() const override { return true; }
    void ColorChanged() override;
    void Resized() override { Invalidate(); }
    void TextChanged() override { Invalidate(); }
    void FocusChanged(bool focused) override;
    void EnabledChanged() override;
    bool MouseDown(TMouseButton b, TShiftState shift, POINT at) override;
    bool MouseUp(TMouseButton b, TShiftState shift, POINT at) override;
    void PressBecameDrag() override;
    bool KeyDown(WORD key, bool repeat) override;
    bool KeyUp(WORD key) override;
    bool DoubleClickIsPress() const override { return true; }

private:
    void Press();  // mouse down or Space down
    void PaintBevel(HDC dc, SIZE size, int rings);
    void PaintPicture(HDC dc, SIZE size, int edge);
    void PaintCaption(HDC dc);
    void DrawCaption(HDC dc, int dx, int dy, TColor color);
    void SyncStateWithEnabled();

    TAlignment alignment_ = alMiddleCenter;
    TButtonBevel bevelStyle_ = bbRaised;
    int bevelSize_ = 2;
    int spacing_ = 2;
    TButtonStyle style_{bsCenter, bsShowFocus, bsSpeedKey, bsMultiLine};
    TFontStyle fontStyle_ = fnNormal;
    TColor shadow_, highlight_;
    TPicture picture_;
    int pictureTop_ = -1, pictureLeft_ = -1;
    bool focused_ = false;
    TButtonState state_ = bstUp;
    std::wstring captionW_;
};

}  // namespace tsb
