#include "app/ui/MainMenu.h"

#include <QMenuBar>
#include <QRegularExpression>

#include "app/ResourceIds.h"

namespace {

struct CMenuCommand {
    int id;
    const char* text;
    // The status-bar prompt.
    const char* prompt;
    const char* shortcut;
    bool checkable;
};

const CMenuCommand kCommands[] = {
    {ID_FILE_OPEN, "開く(&O)...", "既存のJPEGﾌｧｲﾙを開きます", "Ctrl+O", false},
    {ID_FILE_SAVE_AS_JPEG, "名前を付けて保存(&A)...", "表示中のﾌｧｲﾙを別の名前で保存します", nullptr,
     false},
    {ID_APP_EXIT, "KestrinJPEGの終了(&X)", "KestrinJPEGを終了します", nullptr, false},
    {ID_EDIT_COPY, "ｺﾋﾟｰ(&C)", "表示中の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします", "Ctrl+C", false},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの表示/非表示を切り替えます", nullptr, true},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示を切り替えます", nullptr, true},
    {ID_OPTIMISE_WIZARD, "JPEG最適化ｳｨｻﾞｰﾄﾞ(&H)", "表示中のJPEGﾌｧｲﾙをｳｨｻﾞｰﾄﾞで最適化します",
     nullptr, false},
    {ID_BATCH_OPTIMISE, "連続最適化(&R)", "連続でﾄﾞﾗｯｸﾞﾌｧｲﾙを最適化します", nullptr, false},
    {ID_BATCH_EXIF_BACKUP, "連続Exif情報ﾊﾞｯｸｱｯﾌﾟ(&V)", "連続でﾄﾞﾗｯｸﾞﾌｧｲﾙのExif情報をﾊﾞｯｸｱｯﾌﾟします",
     nullptr, false},
    {ID_BATCH_EXIF_EMBED, "連続Exif情報埋め込み(&E)",
     "連続でﾄﾞﾗｯｸﾞﾌｧｲﾙにﾊﾞｯｸｱｯﾌﾟしたExif情報を埋め込みます", nullptr, false},
    {ID_BATCH_DATES, "日付連続処理(&S)", "ﾄﾞﾗｯｸﾞしたﾌｧｲﾙの作成日・更新日・ｱｸｾｽ日を連続で変更します",
     nullptr, false},
    {ID_SAMPLE_LAYOUT, "特殊JPEG画像に加工(&M)",
     "携帯電話やﾃﾞｼﾞｶﾒの画像を見本にしてPCで作ったJPEG画像を加工します", nullptr, false},
    {ID_FILE_DATES, "JPEG日付の変更(&D)", "表示中のﾌｧｲﾙの作成日・更新日・ｱｸｾｽ日を変更します",
     nullptr, false},
    {ID_EXIF_DISPLAY, "Exif情報の表示(&E)", "表示中のﾌｧｲﾙのExif情報を表示します", nullptr, false},
    {ID_KEPT_HEADERS, "変更しないJPEGヘッダの設定(&J)", "最適化で削除しないJPEGﾍｯﾀﾞを設定します",
     nullptr, false},
    {ID_SYSTEM_SETTINGS, "ｼｽﾃﾑ設定(&P)", "処理の優先度やﾌｧｲﾙ名などの動作を設定します", nullptr,
     false},
    {ID_HELP_CONTENTS, "ﾍﾙﾌﾟ(&H)", "ﾍﾙﾌﾟの目次を表示します", nullptr, false},
    {ID_HELP_SEARCH, "検索(&K)", "ﾍﾙﾌﾟをｷｰﾜｰﾄﾞで検索します", nullptr, false},
    {ID_HOME_PAGE, "Marvokeﾎｰﾑﾍﾟｰｼﾞ(&N)", "Marvokeのﾎｰﾑﾍﾟｰｼﾞをﾌﾞﾗｳｻﾞで開きます", nullptr, false},
    {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾌﾟﾛｸﾞﾗﾑの情報とﾊﾞｰｼﾞｮﾝを表示します", nullptr, false},
};

constexpr const char* kRecentFilePrompt = "このﾌｧｲﾙを開きます";

// A menu text as a tool tip shows it: without "(&X)" and a trailing "...".
// Qt drops only the ampersand, which left tips such as "ｳｨｻﾞｰﾄﾞ(H)".
QString ToolTipOf(QString text) {
    static const QRegularExpression kMnemonic(QStringLiteral("\\(&.\\)|\\.\\.\\.$"));
    return text.remove(kMnemonic);
}

QAction* NamedAction(QObject* owner, int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QStringLiteral("ID_%1").arg(id));
    action->setStatusTip(prompt);
    action->setToolTip(ToolTipOf(text));
    return action;
}

void AddActions(QMenu& menu, const CommandActions& actions, std::initializer_list<int> ids) {
    for (const int id : ids) {
        if (id == 0) {
            menu.addSeparator();
        } else {
            menu.addAction(actions.at(id));
        }
    }
}

}  // namespace

CommandActions CreateCommandActions(QObject* owner) {
    CommandActions actions;
    for (const CMenuCommand& command : kCommands) {
        QAction* action = NamedAction(owner, command.id, QString::fromUtf8(command.text),
                                      QString::fromUtf8(command.prompt));
        if (command.shortcut != nullptr) {
            action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        }
        action->setCheckable(command.checkable);
        actions[command.id] = action;
    }
    for (int i = 0; i < kRecentFileCount; ++i) {
        const int id = ID_FILE_MRU_FILE1 + i;
        actions[id] =
            NamedAction(owner, id, EmptyRecentFileText(), QString::fromUtf8(kRecentFilePrompt));
    }
    return actions;
}

void BuildMainMenu(QMenuBar& menuBar, const CommandActions& actions) {
    QMenu* file = menuBar.addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    AddActions(*file, actions, {ID_FILE_OPEN, ID_FILE_SAVE_AS_JPEG, 0});
    for (int i = 0; i < kRecentFileCount; ++i) {
        file->addAction(actions.at(ID_FILE_MRU_FILE1 + i));
    }
    AddActions(*file, actions, {0, ID_APP_EXIT});
    AddActions(*menuBar.addMenu(QStringLiteral("編集(&E)")), actions, {ID_EDIT_COPY});
    AddActions(*menuBar.addMenu(QStringLiteral("表示(&V)")), actions,
               {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR});
    AddActions(*menuBar.addMenu(QStringLiteral("JPEG最適化(&J)")), actions, {ID_OPTIMISE_WIZARD});
    AddActions(*menuBar.addMenu(QStringLiteral("連続処理(&R)")), actions,
               {ID_BATCH_OPTIMISE, ID_BATCH_EXIF_BACKUP, ID_BATCH_EXIF_EMBED, ID_BATCH_DATES});
    AddActions(*menuBar.addMenu(QStringLiteral("ﾂｰﾙ(&T)")), actions,
               {ID_SAMPLE_LAYOUT, ID_EXIF_DISPLAY, ID_FILE_DATES});
    AddActions(*menuBar.addMenu(QStringLiteral("設定(&S)")), actions,
               {ID_KEPT_HEADERS, ID_SYSTEM_SETTINGS});
    AddActions(*menuBar.addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)")), actions,
               {ID_HELP_CONTENTS, ID_HELP_SEARCH, 0, ID_HOME_PAGE, 0, ID_APP_ABOUT});
}

QString EmptyRecentFileText() {
    return QStringLiteral("最新のﾌｧｲﾙ");
}
