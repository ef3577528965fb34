#pragma once
// Pictures: immutable bitmaps, icons and metafiles, and the registry that picks a picture class by the
// file's extension. The framework's own classes come first (".wmf", ".emf", ".ico", ".bmp"), then
// whatever the units register, in their order; the newest registration of an extension wins.
#include <functional>
#include <memory>
#include <string>

#include "framework/win/ScopedWin.h"

namespace tsb {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Draw(HDC dc, const RECT& dest, bool transparent) const = 0;  // scaled into dest
    // The size the file itself declares. A class that decodes smaller than that (to fit a size the
    // caller asked for) reports it here, so that callers can place the picture by its true shape.
    virtual int OriginalWidth() const { return Width(); }
    virtual int OriginalHeight() const { return Height(); }
    // How the pixels are to be turned to stand upright, as a camera's orientation tag says (1 to 8,
    // see PhotoTags.h). The picture container shows such a picture upright (TUprightGraphic).
    virtual int Orientation() const { return 1; }
};

class TBitmap : public TGraphic {
public:
    explicit TBitmap(HBITMAP owned);
    static std::unique_ptr<TBitmap> FromFile(const std::string& file);
    static std::unique_ptr<TBitmap> FromResource(const char* name);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;
    HBITMAP Handle() const { return bmp_.get(); }

private:
    unique_hbitmap bmp_;
    int width_ = 0, height_ = 0;
};

// A picture made in window pixels for the scale of the moment, placed by its size in design
// pixels: drawn in a box of that size scaled, it is drawn at its own size, not stretched.
class TDesignSized : public TGraphic {
public:
    TDesignSized(std::shared_ptr<const TGraphic> pixels, int designWidth, int designHeight)
        : pixels_(std::move(pixels)), width_(designWidth), height_(designHeight) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override { pixels_->Draw(dc, dest, transparent); }
    const TGraphic& Pixels() const { return *pixels_; }

private:
    std::shared_ptr<const TGraphic> pixels_;
    int width_, height_;
};

// A picture made in window pixels, placed by the given design size: itself where the two agree
// (at 96 dots per inch), a TDesignSized otherwise.
std::shared_ptr<const TGraphic> DesignSized(std::shared_ptr<const TGraphic> pixels, int designWidth, int designHeight);

// A bitmap of the program's own at the version made for the scale of the moment: the resource
// name alone for 96 dots per inch, name + "150" and name + "200" for 144 and 192; the smallest
// not below the scale, or the largest. Its size is the first version's, in design pixels.
std::shared_ptr<const TGraphic> ArtworkResource(const std::string& name);
// Which version that is, as the dots per inch it was made for.
int ArtworkDpi(int dpi);

class TIcon : public TGraphic {
public:
    explicit TIcon(HICON owned);
    // An icon taken at the size it is shown at, in window pixels, with its size in design pixels.
    TIcon(HICON owned, int designWidth, int designHeight);
    static std::unique_ptr<TIcon> FromFile(const std::string& file);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;
    HICON Handle() const { return icon_.get(); }

private:
    unique_hicon icon_;
    int width_ = 0, height_ = 0;
};

// A picture stored turned (a camera's portrait photo), shown upright: its sizes are the upright
// ones, and each drawing turns the pixels once, at the size drawn.
class TUprightGraphic : public TGraphic {
public:
    explicit TUprightGraphic(std::unique_ptr<const TGraphic> stored);
    int Width() const override { return sideways_ ? stored_->Height() : stored_->Width(); }
    int Height() const override { return sideways_ ? stored_->Width() : stored_->Height(); }
    int OriginalWidth() const override { return sideways_ ? stored_->OriginalHeight() : stored_->OriginalWidth(); }
    int OriginalHeight() const override { return sideways_ ? stored_->OriginalWidth() : stored_->OriginalHeight(); }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;

private:
    std::unique_ptr<const TGraphic> stored_;
    bool sideways_;
};

// The graphic as it is to be shown: turned upright when its orientation says so.
std::shared_ptr<const TGraphic> Upright(std::unique_ptr<TGraphic> graphic);

// Enhanced metafiles, and Windows metafiles (plain or placeable) converted to them.
class TMetafile : public TGraphic {
public:
    explicit TMetafile(HENHMETAFILE owned);
    static std::unique_ptr<TMetafile> FromFile(const std::string& file);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;

private:
    unique_hemf emf_;
    int width_ = 0, height_ = 0;
};

// Safe from any thread. A loader may run on a worker: it makes a picture of its own.
using TGraphicLoader = std::function<std::unique_ptr<TGraphic>(const std::string& file)>;
// A loader that may decode smaller than the file's size, never smaller than needed to fill a fit
// into fitWidth x fitHeight (keeping proportions) of the picture upright; 0 x 0 asks for the full
// size.
using TScaledGraphicLoader =
    std::function<std::unique_ptr<TGraphic>(const std::string& file, int fitWidth, int fitHeight)>;
void RegisterPictureClass(const std::string& extension, const std::string& description, TGraphicLoader loader);
void RegisterPictureClass(const std::string& extension, const std::string& description, TScaledGraphicLoader loader);
TGraphicLoader FindPictureClass(const std::string& extension);  // any case, with the dot; empty if none
TScaledGraphicLoader FindScaledPictureClass(const std::string& extension);  // the same look-up

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    void LoadFromFile(const std::string& file);  // raises for an unknown extension or bad file
    // The same, and the picture only needs to fill a fit into fitWidth x fitHeight: a class may
    // decode it smaller (never below that). Place it by OriginalWidth/OriginalHeight.
    void LoadFromFile(const std::string& file, int fitWidth, int fitHeight);
    // Graphics never change once made, so pictures that copy each other share them.
    void Assign(const TPicture& other) { graphic_ = other.graphic_; }
    void SetGraphic(std::shared_ptr<const TGraphic> g) { graphic_ = std::move(g); }
    const TGraphic* Graphic() const { return graphic_.get(); }
    bool Empty() const { return !graphic_; }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    int OriginalWidth() const { return graphic_ ? graphic_->OriginalWidth() : 0; }
    int OriginalHeight() const { return graphic_ ? graphic_->OriginalHeight() : 0; }
    void Draw(HDC dc, const RECT& dest, bool transparent = false) const {
        if (graphic_) graphic_->Draw(dc, dest, transparent);
    }

private:
    std::shared_ptr<const TGraphic> graphic_;
};

}  // namespace tsb
