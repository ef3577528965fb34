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

class TIcon : public TGraphic {
public:
    explicit TIcon(HICON owned);
    static std::unique_ptr<TIcon> FromFile(const std::string& file);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest, bool transparent) const override;
    HICON Handle() const { return icon_.get(); }

private:
    unique_hicon icon_;
    int width_ = 0, height_ = 0;
};

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
void RegisterPictureClass(const std::string& extension, const std::string& description, TGraphicLoader loader);
TGraphicLoader FindPictureClass(const std::string& extension);  // any case, with the dot; empty if none

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    void LoadFromFile(const std::string& file);  // raises for an unknown extension or bad file
    // Graphics never change once made, so pictures that copy each other share them.
    void Assign(const TPicture& other) { graphic_ = other.graphic_; }
    void SetGraphic(std::shared_ptr<const TGraphic> g) { graphic_ = std::move(g); }
    const TGraphic* Graphic() const { return graphic_.get(); }
    bool Empty() const { return !graphic_; }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void Draw(HDC dc, const RECT& dest, bool transparent = false) const {
        if (graphic_) graphic_->Draw(dc, dest, transparent);
    }

private:
    std::shared_ptr<const TGraphic> graphic_;
};

}  // namespace tsb
