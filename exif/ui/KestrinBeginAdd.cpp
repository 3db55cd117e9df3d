#include "exif/ui/KestrinBeginAdd.h"

#include "exif/ui/ExifIds.h"
#include "optimise/WizardSession.h"

CKestrinBeginAdd::CKestrinBeginAdd(CWizardSession& session, QWidget* parent)
    : CWorkCopyPage(session, exif_ids::IDD_KESTRIN_BEGIN_ADD,
                    QStringLiteral("(1/3)表示に必要なﾃﾞｰﾀの抽出"),
                    QStringLiteral("画像表示に関係のないﾃﾞｰﾀを削除します"
                                   "（ﾌｧｲﾙのｺﾋﾟｰに対して処理を行います）"),
                    parent) {}

bool CKestrinBeginAdd::MayGoBack() const {
    return !Session().IsScanning();
}
