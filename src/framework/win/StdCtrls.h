#pragma once
// The plain controls the forms are built from.
#include <functional>
#include <string>
#include <vector>

#include "framework/win/Control.h"
#include "framework/win/Picture.h"

namespace tsb {

// What a plain child window of the class is made with: visible, at b, with its text.
TCreateParams ChildParams(const char* cls, TBounds b, const std::string& text = {});

enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TTextAlign { taLeft, taCenter, taRight };

class TPanel : public TControl {
public:
    TPanel(TControl* parent, TBounds b, TBevelCut outer = TBevelCut::bvRaised);

protected:
    void Paint(HDC dc) override;
    RECT AlignArea() const override;  // inside the bevel

private:
    TBevelCut bevel_;
};

// A caption drawn on the parent's (or its own) colour; labels and static texts alike.
class TLabel : public TControl {
public:
    TLabel(TControl* parent, TBounds b, const std::string& caption, TTextAlign align = TTextAlign::taLeft,
           bool wordWrap = false);
    // The control the caption's mnemonic focuses; with one, "&" marks the mnemonic.
    void SetFocusControl(TControl* c) { focusControl_ = c; Invalidate(); }
    bool DialogChar(char ch) override;

protected:
    void Paint(HDC dc) override;

private:
    TTextAlign align_;
    bool wordWrap_;
    TControl* focusControl_ = nullptr;
};
using TStaticText = TLabel;

class TBevel : public TControl {
public:
    TBevel(TControl* parent, TBounds b);

protected:
    void Paint(HDC dc) override;
};

class TImage : public TControl {
public:
    TImage(TControl* parent, TBounds b, bool stretch = true, bool transparent = false);
    TPicture& Picture() { return picture_; }
    void PictureChanged() { Invalidate(); }

protected:
    void Paint(HDC dc) override;

private:
    TPicture picture_;
    bool stretch_, transparent_;
};

// A one-line edit box.
class TEdit : public TControl {
public:
    TEdit(TControl* parent, TBounds b, const std::string& text = {});
    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }  // OnChange runs for this too
    TNotifyEvent OnChange;
    std::function<void(TControl* sender, WORD key)> OnKeyUp;

protected:
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void CommandReflected(WORD code) override;
};

// A push button. Clicking it runs OnClick, then gives its form ModalResult unless that is mrNone.
// The default button takes Enter, the cancel button Esc.
class TButton : public TControl {
public:
    TButton(TControl* parent, TBounds b, const std::string& caption, bool isDefault = false, bool isCancel = false);
    int ModalResult = 0;
    bool DialogChar(char ch) override;
    bool DialogKey(UINT key, bool focused) override;
    void PerformClick() { Click(); }

protected:
    void CommandReflected(WORD code) override;
    void Click() override;

private:
    bool default_, cancel_;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TControl* parent, TBounds b, const std::string& caption);
    bool Checked() const;
    void SetChecked(bool on);  // as the program sets it: OnClick does not run
    bool DialogChar(char ch) override;

protected:
    void CommandReflected(WORD code) override;  // a click by the user: OnClick
};

// A captioned frame around other controls.
class TGroupBox : public TControl {
public:
    TGroupBox(TControl* parent, TBounds b, const std::string& caption);

protected:
    void Paint(HDC dc) override;
};

// One item of a radio group, the system's radio button: the group's first item starts the group
// and is its one tab stop.
class TRadioButton : public TControl {
public:
    TRadioButton(TControl* parent, TBounds b, const std::string& caption, bool first);
    bool Checked() const;
    void SetChecked(bool on);  // as the program sets it
};

// A group box of radio buttons, one column of items; exactly one is chosen once one was.
class TRadioGroup : public TGroupBox {
public:
    TRadioGroup(TControl* parent, TBounds b, const std::string& caption, const std::vector<std::string>& items);
    int ItemIndex() const;  // -1 when none is chosen
    void SetItemIndex(int index);
    bool DialogChar(char ch) override;

protected:
    void ChildrenChanged() override;

private:
    std::vector<TRadioButton*> buttons_;  // among its children
};

}  // namespace tsb
