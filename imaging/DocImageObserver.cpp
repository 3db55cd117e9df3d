#include "imaging/DocImageObserver.h"

#include "imaging/JpegDecoder.h"

bool DecodeJpegForDocument(const std::string& path, CPackedPicture& picture,
                           IDocImageObserver& observer) {
    observer.OnDocImage(EDocImageCode::DropCache);
    if (!DecodeJpegFileToPacked(path, picture)) {
        return false;
    }
    observer.OnDocImage(EDocImageCode::Stored);
    return true;
}
