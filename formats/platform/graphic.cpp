#include "formats/platform/graphic.h"

#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"

namespace vermaline {

void TGraphic::Assign(const TGraphic& source) { RaiseCannotAssign(source); }

void TGraphic::RaiseCannotAssign(const TGraphic& source) const {
    throw EConvertError(Format(messages::kCannotAssign, source.ClassName(), ClassName()));
}

bool TGraphic::Equals(const TGraphic& other) const {
    if (&other == this) return true;
    if (std::string(other.ClassName()) != ClassName()) return false;
    if (Empty() || other.Empty()) return Empty() == other.Empty();
    TMemoryStream a;
    TMemoryStream b;
    const_cast<TGraphic*>(this)->SaveToStream(a);
    const_cast<TGraphic&>(other).SaveToStream(b);
    return a.Bytes() == b.Bytes();
}

void TGraphic::LoadFromClipboardFormat(unsigned, const std::vector<uint8_t>&) {
    throw EInvalidGraphic(messages::kInvalidBitmap);
}

std::vector<uint8_t> TGraphic::SaveToClipboardFormat(unsigned) {
    TMemoryStream stream;
    SaveToStream(stream);
    return stream.Bytes();
}

void TGraphic::SetTransparent(bool value) {
    if (value != transparent_) {
        transparent_ = value;
        Changed();
    }
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmCreate);
    SaveToStream(stream);
    stream.Flush();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect,
                        const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percentDone, redrawNow, rect, message);
}

} // namespace vermaline
