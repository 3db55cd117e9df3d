#include "exif/ui/KestrinExif.h"

#include "exif/ExifEngine.h"
#include "exif/ui/ExifRows.h"
#include "optimise/WizardSession.h"
#include "ui_KestrinExif.h"
#include "util/MessageSink.h"
#include "widgets/CommandGuard.h"

namespace {

constexpr int kColumnWidths[] = {70, 120, 250, 100};

}  // namespace

CKestrinExif::CKestrinExif(CWizardSession& session, QWidget* parent)
    : CKestrinPage(session, parent), m_ui(std::make_unique<Ui::CKestrinExif>()) {
    m_ui->setupUi(this);
    m_ui->IDC_1046->setHeaderLabels({QStringLiteral("EXIFﾀｸﾞ"), QStringLiteral("ﾀｸﾞ名"),
                                     QStringLiteral("解説"), QStringLiteral("値")});
    for (int column = 0; column < 4; ++column) {
        m_ui->IDC_1046->setColumnWidth(column, kColumnWidths[column]);
    }
}

CKestrinExif::~CKestrinExif() = default;

void CKestrinExif::initializePage() {
    m_ui->IDC_1046->clear();
    RunCommandShowingError([this] {
        if (Session().ReadEmbeddedExif() != EExifResult::Done) {
            ShowMessage("Exif情報が検出されません。埋め込みに失敗していると考えられます。");
        }
        AddExifRows(*m_ui->IDC_1046, Session().ExifRows());
    });
}
