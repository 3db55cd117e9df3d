#include "optimise/ui/KestrinAuto.h"

#include "optimise/ui/OptimiseIds.h"

CKestrinAuto::CKestrinAuto(CWizardSession& session, QWidget* parent)
    : CWorkCopyPage(session, optimise_ids::IDD_KESTRIN_AUTO, QStringLiteral("自動最適化"),
                    QStringLiteral("推奨方法で画像表示に必要のない情報を削除します"
                                   "（ﾌｧｲﾙのｺﾋﾟｰに対して処理を行います）"),
                    parent) {}
