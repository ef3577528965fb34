// Measures the thumbnails of a page of 100 photos of 12 megapixels: from the page display until
// the last thumbnail is installed, beside the same with the decoder held at full size, beside
// the floor of decoding the files at the scale used; and a page shown again (thumbnails from
// memory) beside a display of a page of as many shortcuts to files that are no pictures; and a
// page of camera-like photos (the same photos, each turned by its orientation tag and carrying a
// 160 x 120 preview) beside the same floor.
// Prints figures; judges nothing. Argument: the number of photos (default 100).
#include <windows.h>

#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/Layout.h"
#include "win/MainWindowView.h"
#include "framework/core/ScopeExit.h"
#include "framework/win/Application.h"
#include "framework/win/Files.h"
#include "framework/win/ScopedWin.h"
#include "pages/DataObject.h"
#include "pages/WinShell.h"
#include "pages/WorkingFormUnit.h"
#include "pictures/GdiPlusPictures.h"
#include "BenchSupport.h"
#include "win/PictureFiles.h"  // ExifBlock, WithApp1

using namespace tsb;
using namespace tsbbench;

namespace {

// A photograph's worth of detail: soft gradients, a texture and some grain, so the decoder has
// as much to do as with a real photo. 4000 x 3000 is 12 megapixels.
std::string PhotoJpeg(int width, int height, unsigned variant) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    ScopeExit destroy([&] { jpeg_destroy_compress(&cinfo); });
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 88, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    unsigned noise = variant * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            int grain = static_cast<int>((noise >> 16) & 15) - 8;
            int texture = ((x / 7 + y / 5 + static_cast<int>(variant)) % 23) - 11;
            JSAMPLE* p = row.data() + static_cast<size_t>(x) * 3;
            p[0] = static_cast<JSAMPLE>(std::clamp(x * 200 / width + 30 + grain + texture, 0, 255));
            p[1] = static_cast<JSAMPLE>(std::clamp(y * 180 / height + 40 + grain, 0, 255));
            p[2] = static_cast<JSAMPLE>(std::clamp((x + y) * 120 / (width + height) + 90 + grain - texture, 0, 255));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

TFolderRecord* SubPage(const std::string& name) {
    for (auto& f : RootFolder->Folders)
        if (f->Name == name) return f.get();
    return nullptr;
}

// Displays the page and waits until its last thumbnail is installed; seconds.
double DisplayWithThumbnails(TMainWindowView& frm, TFolderRecord* page) {
    auto start = std::chrono::steady_clock::now();
    frm.CurrentPage = page;
    frm.LoadCurrentPage();
    if (frm.Previews) frm.Previews->WaitFor();
    return Seconds(start);
}

double BestOf3(const std::function<double()>& run) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) best = std::min(best, run());
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    CoInitGuard com;
    Application().Initialize();
    InitWinShell();
    RegisterPictureClasses();
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string dir = std::string(tmp) + "tsbthumbs-" + std::to_string(GetCurrentProcessId());
    std::string photos = dir + "\\photos", plain = dir + "\\plain";
    ForceDirectories(dir + "\\shortcuts\\Photos");
    ForceDirectories(dir + "\\shortcuts\\Plain");
    ForceDirectories(dir + "\\shortcuts\\Camera");
    ForceDirectories(photos);
    ForceDirectories(plain);
    SetProgramFolder(dir);

    auto made = std::chrono::steady_clock::now();
    std::vector<std::string> variants;
    std::vector<std::string> cameraVariants;
    for (unsigned v = 0; v < 4; ++v) {
        variants.push_back(PhotoJpeg(4000, 3000, v));
        cameraVariants.push_back(tsbtest::WithApp1(variants.back(), tsbtest::ExifBlock(6, PhotoJpeg(160, 120, v))));
    }
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%03d", i);
        std::string file = photos + "\\" + name + ".jpg";
        WriteFileSafely(file, variants[static_cast<size_t>(i) % variants.size()]);
        files.push_back(file);
        CreateShellLink(file, name, dir + "\\shortcuts\\Photos\\" + name + ".lnk");
        std::string camera = photos + "\\" + name + "-camera.jpg";
        WriteFileSafely(camera, cameraVariants[static_cast<size_t>(i) % cameraVariants.size()]);
        CreateShellLink(camera, name, dir + "\\shortcuts\\Camera\\" + name + ".lnk");
        std::string other = plain + "\\" + name + ".dat";
        WriteFileSafely(other, "x");
        CreateShellLink(other, name, dir + "\\shortcuts\\Plain\\" + name + ".lnk");
    }
    std::printf("%d photos of 4000 x 3000 made in %.1f s (%zu bytes each on average)\n", count, Seconds(made),
                (variants[0].size() + variants[1].size() + variants[2].size() + variants[3].size()) / 4);

    {
        TMainWindowView frm;
        frm.AdminMode = true;
        Application().SetMainForm(&frm);
        frm.ShowForm();
        frm.ReloadAll();
        TFolderRecord* photoPage = SubPage("Photos");
        TFolderRecord* plainPage = SubPage("Plain");
        TFolderRecord* cameraPage = SubPage("Camera");
        if (!photoPage || !plainPage || !cameraPage) {
            std::printf("pages not found\n");
            return 1;
        }
        int size = ThumbnailSizeFor(frm.ButtonSize);
        // Both pages read once, so every display below reads nothing from disk.
        frm.CurrentPage = plainPage;
        frm.LoadCurrentPage();

        // The floor: decoding each file at the scale the thumbnails use, nothing else.
        auto floorRun = [&] {
            auto start = std::chrono::steady_clock::now();
            TPicture p;
            for (auto& f : files) p.LoadFromFile(f, size, size);
            return Seconds(start);
        };
        double scaled = BestOf3([&] {
            frm.Thumbnails.Clear();
            return DisplayWithThumbnails(frm, photoPage);
        });
        double floor = BestOf3(floorRun);

        // Shown again: every thumbnail from memory, beside a page without pictures.
        double again = 1e9, withoutPictures = 1e9;
        for (int i = 0; i < 3; ++i) {
            frm.CurrentPage = plainPage;
            auto t = std::chrono::steady_clock::now();
            frm.LoadCurrentPage();
            ::UpdateWindow(frm.Handle());
            withoutPictures = std::min(withoutPictures, Seconds(t));
            t = std::chrono::steady_clock::now();
            frm.CurrentPage = photoPage;
            frm.LoadCurrentPage();
            bool decoding = frm.Previews != nullptr;
            ::UpdateWindow(frm.Handle());
            again = std::min(again, Seconds(t));
            if (decoding) std::printf("(a thumbnail was not in memory)\n");
        }
        // What the thumbnails from memory add to that display: installing them again on the
        // page on show (file checks, look-ups, the paint of 100 thumbnails).
        double installs = BestOf3([&] {
            auto t = std::chrono::steady_clock::now();
            frm.GetImageThumbnails();
            ::UpdateWindow(frm.Handle());
            return Seconds(t);
        });
        std::printf("memory kept: %zu thumbnails, %.2f MB (bound %.0f MB)\n", frm.Thumbnails.Count(),
                    frm.Thumbnails.Bytes() / 1048576.0, TThumbnailCache::MaxBytes / 1048576.0);

        // Camera-like photos: the same files with a preview and an orientation tag.
        double camera = BestOf3([&] {
            frm.Thumbnails.Clear();
            return DisplayWithThumbnails(frm, cameraPage);
        });

        // (a): the decoder held at full size, the thumbnail scaled afterwards: a newer class of
        // the extension that ignores the size asked for.
        TGraphicLoader full = FindPictureClass(".jpg");
        RegisterPictureClass(".jpg", "Jpeg at full size", full);
        double fullRun = BestOf3([&] {
            frm.Thumbnails.Clear();
            return DisplayWithThumbnails(frm, photoPage);
        });
        frm.StopThumbnails();

        std::printf("thumbnail size %d, %d photos\n", size, count);
        std::printf("display until the last thumbnail: %.3f s (%.3f s after the 1 s pause)\n", scaled, scaled - 1.0);
        std::printf("  (a) decoder at full size:       %.3f s (%.3f s after the pause), %.1f x slower\n", fullRun,
                    fullRun - 1.0, (fullRun - 1.0) / (scaled - 1.0));
        std::printf("  (b) floor, decoding alone:      %.3f s; run after the pause / floor %.2f\n", floor,
                    (scaled - 1.0) / floor);
        if (Scale(size) > 160) std::printf("(the 160 x 120 previews are smaller than the box: the camera page decodes the photos)\n");
        std::printf("camera-like photos (turned, 160 x 120 preview): %.3f s (%.3f s after the pause); / floor %.3f"
                    " (target at most 0.1)\n",
                    camera, camera - 1.0, (camera - 1.0) / floor);
        std::printf("shown again from memory: %.3f s; a page of as many non-picture shortcuts: %.3f s; ratio %.2f\n",
                    again, withoutPictures, again / withoutPictures);
        std::printf("  the thumbnails' part of it: %.3f s; the same display without them %.3f s; ratio %.2f\n",
                    installs, again - installs, again / (again - installs));
        frm.FormClose();
        Application().SetMainForm(nullptr);
    }
    DoneRootFolder();
    ReleaseGdiPlusLibrary();
    SetProgramFolder("");
    RemoveFolder(dir);
    return 0;
}
