// The main window's thumbnails: which buttons get one, from memory or from the thumbnail thread,
// and how a finished one is installed on its button.
#include "app/MainForm.h"

#include "app/Layout.h"
#include "framework/core/PictureFile.h"
#include "framework/core/PictureFit.h"
#include "framework/core/Text.h"
#include "framework/win/Debug.h"

namespace tsb {

namespace {
void Install(TColorButton* b, std::shared_ptr<const TGraphic> thumbnail, bool paintNow) {
    b->SetPictureLeft(CentreOffset(b->Width(), thumbnail->Width()));
    b->Picture().SetGraphic(std::move(thumbnail));
    if (paintNow) b->Repaint();
    else b->Invalidate();
}
}  // namespace

// Runs at the end of a display, from its clean-up: it raises nothing.
void TfrmMain::GetImageThumbnails() {
    Log("TfrmMain.GetImageThumbnails");
    try {
        StopThumbnails();
        Thumbnails.ReleaseIfMemoryShort();
        int size = ThumbnailSizeFor(ButtonSize);
        std::vector<TPreviewTarget> targets;
        size_t fromMemory = 0;
        const auto& children = ScrollBox1->Controls();
        for (size_t i = 0; i < children.size(); ++i) {
            auto* b = dynamic_cast<TColorButton*>(children[i].get());
            const TShortcutRecord* s = b ? b->Tag().As<TShortcutRecord>() : nullptr;
            if (!s || !s->LinkInfo || !IsPictureFile(ExtractFileExt(s->LinkInfo->PathName))) continue;
            const std::string& path = s->LinkInfo->PathName;
            std::optional<TFileStamp> stamp = FileStampOf(path);
            if (!stamp) continue;  // nothing to show for a missing target
            if (auto thumbnail = Thumbnails.Find(ThumbnailKey(path, *stamp, Scale(size)))) {
                // Painted with the rest of the page: the display has only asked for its redraw.
                Install(b, std::move(thumbnail), false);
                ++fromMemory;
                continue;
            }
            targets.push_back({i, path});
        }
        if (fromMemory > 0) Log("TfrmMain.GetImageThumbnails From Memory " + std::to_string(fromMemory));
        if (targets.empty()) return;
        Log("Call TGetImagePreviews " + std::to_string(targets.size()));
        unsigned generation = thumbnailGeneration_;
        Previews = std::make_shared<TGetImagePreviews>(
            std::move(targets), size, [this, generation](const TThumbnail& t) { ThumbnailReady(generation, t); },
            Scale(size));
        Previews->Start();
    } catch (const std::exception& e) {
        Log(std::string("TfrmMain.GetImageThumbnails Exception: ") + e.what());
    }
}

void TfrmMain::StopThumbnails() {
    ++thumbnailGeneration_;  // what the old run still hands over is kept, but no longer installed
    if (!Previews) return;
    // Held here while the wait serves the run's last hand-overs and messages sent from outside:
    // a stop those ask for (a session's end closes the menu) waits for the same end, and the
    // run goes once the last of them is done with it.
    std::shared_ptr<TGetImagePreviews> run = Previews;
    run->Stop();
    if (Previews == run) Previews.reset();
}

void TfrmMain::ThumbnailReady(unsigned generation, const TThumbnail& thumbnail) {
    Thumbnails.Put(thumbnail);
    if (generation != thumbnailGeneration_) return;
    const auto& children = ScrollBox1->Controls();
    if (thumbnail.Child >= children.size()) return;
    if (auto* b = dynamic_cast<TColorButton*>(children[thumbnail.Child].get())) Install(b, thumbnail.Picture, true);
}

}  // namespace tsb
