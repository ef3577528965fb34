#pragma once
// The rich-text box of the page headers. Most of it guards against faults of Wine's rich-text
// reader and text shaping, so that no header text can end the program.
#include <string>
#include <vector>

#include "framework/win/Control.h"
#include "framework/win/Convert.h"

#include <richedit.h>

namespace tsb {

// A borderless, read-only rich-edit box.
class TRichEdit : public TControl {
public:
    TRichEdit(TControl* parent, TBounds b);
    // Rich text when the text begins "{\rtf", plain text otherwise; a file in any encoding that
    // ReadTextFile reads.
    void LoadFromFile(const std::string& file);
    void SetRichText(const std::string& text);
    std::wstring TextW() const;  // paragraphs end with CR
    std::string Text() const { return WideToAnsi(TextW()); }

protected:
    void ColorChanged() override;

private:
    CHARFORMAT2W FormatAt(LONG pos) const;
    std::vector<LONG> MarksStartingRuns() const;
    void ReplaceChar(LONG pos, const std::wstring& with);
    void GuardRunStarts();
};

}  // namespace tsb
