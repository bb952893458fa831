// The card property dialog through real key and mouse events: new cards, editing one and several
// cards, the kind presentation, Fit, unstorable characters and the extraction menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "app/dialogs/frg_prop_dlg.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"
#include "unit/model/fakes.h"

namespace {

class PropertyDialogTest : public ::testing::Test {
  protected:
    template <typename T>
    T* Find(const char* name) {
        return dlg_.findChild<T*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* Memo() { return Find<QPlainTextEdit>("Memo1"); }
    // A radio button takes clicks on its circle and caption only.
    static void ClickRadio(QRadioButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }

    // Runs the dialog; `script` acts on it while it is shown.
    int Run(std::function<void()> script) {
        QTimer::singleShot(0, &dlg_, std::move(script));
        return dlg_.exec();
    }

    static void TypeText(QWidget* w, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
    }

    qv::test::TestDoc doc_;
    qv::UsrIniFile ini_ = qv::UsrIniFile::FromText("");
    TFrgPropDlg dlg_{doc_.env, ini_, nullptr};
};

TEST_F(PropertyDialogTest, NewCardLandsWithTheDefaultsAndTheChosenGroup) {
    dlg_.Request() = {};
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    dlg_.Request().AtPoint = true;
    dlg_.Request().PointX = 40;
    dlg_.Request().PointY = 50;
    dlg_.Request().PresetGroup = 3;
    const int result = Run([this] {
        EXPECT_EQ(dlg_.windowTitle(), QStringLiteral("新規断片の作成"));
        EXPECT_EQ(dlg_.focusWidget(), Memo());
        auto* group = Find<QComboBox>("GroupComboBox");
        EXPECT_EQ(group->currentIndex(), 2);
        QTest::keyClick(group, Qt::Key_Down);  // group 4
        QTest::keyClicks(Memo(), QStringLiteral("idea"));
        QTest::keyClick(Memo(), Qt::Key_Return);  // Enter is OK by default
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(doc_.set.Count(), 1);
    const qv::Fragment& f = *doc_.set.Fragments()[0];
    EXPECT_EQ(f.Text, "idea");
    EXPECT_EQ(f.Group, 4);
    EXPECT_EQ(f.Left, 40);
    EXPECT_EQ(f.Top, 50);
    EXPECT_EQ(f.Columns, doc_.env.FrgWidth);
    EXPECT_EQ(f.Lines, doc_.env.FrgHeight);
    EXPECT_EQ(f.ColBG, doc_.env.Colors.DefFrgBG);
    EXPECT_TRUE(doc_.set.Modified);
    // The placement is kept for the next showing.
    EXPECT_FALSE(ini_.ReadString("General", "FrgPropDlgLeft", "").empty());
}

TEST_F(PropertyDialogTest, TypedEmojiIsReportedAndNothingIsLost) {
    doc_.env.Accept_CR = true;
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    bool warned = false;
    bool stayedOpen = false;
    const int result = Run([&] {
        QTest::keyClicks(Memo(), QStringLiteral("ok"));
        QTest::keyClick(Memo(), Qt::Key_Return, Qt::ControlModifier);  // a line break
        TypeText(Memo(), QStringLiteral("\U0001F600"));
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            warned = box->text().contains(QStringLiteral("\U0001F600"));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::mouseClick(Find<QPushButton>("OkBtn"), Qt::LeftButton);
        stayedOpen = dlg_.isVisible();
        EXPECT_EQ(Memo()->toPlainText(), QStringLiteral("ok\n\U0001F600"));
        // The user removes it and confirms: the line break becomes the marker.
        QTest::keyClick(Memo(), Qt::Key_Backspace);
        TypeText(Memo(), QStringLiteral("★"));
        QTest::keyClick(Memo(), Qt::Key_Return);
    });
    EXPECT_TRUE(warned);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(doc_.set.Count(), 1);
    EXPECT_EQ(doc_.set.Fragments()[0]->Text, "ok\x81\x5f\x81\x9a");
}

TEST_F(PropertyDialogTest, TheMemoStopsAt800BytesOfTheCodePage) {
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    Run([this] {
        Memo()->setPlainText(QString(799, QLatin1Char('a')));
        TypeText(Memo(), QStringLiteral("あ"));  // two bytes: does not fit
        EXPECT_EQ(Memo()->toPlainText().size(), 799);
        QTest::keyClicks(Memo(), QStringLiteral("b"));
        EXPECT_EQ(Memo()->toPlainText().size(), 800);
        QTest::keyClick(Memo(), Qt::Key_Escape);
    });
    EXPECT_EQ(doc_.set.Count(), 0);
}

TEST_F(PropertyDialogTest, KindChangeSwitchesThePresentationAndFitCountsLaidOutLines) {
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    Run([this] {
        auto* image = Find<QRadioButton>("ImageRadioBtn");
        auto* ok = Find<QPushButton>("OkBtn");
        ClickRadio(image);
        EXPECT_TRUE(image->isChecked());
        EXPECT_EQ(Find<QGroupBox>("SizeGroupBox")->title(), QStringLiteral("倍率(&S)"));
        EXPECT_FALSE(Find<QLabel>("SizePer_Label")->isHidden());
        EXPECT_TRUE(Find<QLabel>("SizeX_Label")->isHidden());
        EXPECT_TRUE(Find<QPushButton>("BackColorBtn")->isHidden());
        EXPECT_FALSE(Find<QWidget>("TrnsChkBox")->isHidden());
        EXPECT_TRUE(Find<QPushButton>("FitButton")->isHidden());
        EXPECT_FALSE(ok->isEnabled());  // a picture needs its file
        QTest::keyClicks(Find<QLineEdit>("LinkNameEdit"), QStringLiteral("a.bmp"));
        EXPECT_TRUE(ok->isEnabled());

        ClickRadio(Find<QRadioButton>("SymbolRadioBtn"));
        EXPECT_FALSE(ok->isEnabled());  // a symbol needs a text
        QTest::keyClicks(Memo(), QStringLiteral("abc"));
        EXPECT_EQ(Find<QSpinBox>("FrgWdEdit")->value(), 2);
        EXPECT_TRUE(ok->isEnabled());

        ClickRadio(Find<QRadioButton>("NormalRadioBtn"));
        auto* width = Find<QSpinBox>("FrgWdEdit");
        auto* height = Find<QSpinBox>("FrgHiEdit");
        width->setValue(2);
        Memo()->setPlainText(QStringLiteral("あいうえおかきくけこさしすせそ"));
        QTest::mouseClick(Find<QPushButton>("FitButton"), Qt::LeftButton);
        EXPECT_GE(height->value(), 5);
        EXPECT_EQ(height->palette().color(QPalette::Text), QColor(Qt::red));
        height->selectAll();
        QTest::keyClicks(height, QStringLiteral("25"));
        EXPECT_LE(height->value(), 20);
        QTest::keyClick(Memo(), Qt::Key_Escape);
    });
    EXPECT_EQ(doc_.set.Count(), 0);
}

TEST_F(PropertyDialogTest, EditingSeveralCardsChangesOnlyTheTextColour) {
    qv::Fragment* a = doc_.Add("a", 1, 10, 10, 4, 1);
    qv::Fragment* b = doc_.Add("b", 2, 200, 10, 7, 2);
    b->ColBG = 0x00FF00;
    doc_.Refresh();
    doc_.set.SelectAll(true);
    dlg_.SetColourChooser([](const QColor&) { return QColor(255, 0, 0); });
    dlg_.Request() = {};
    dlg_.Request().Target = &doc_.set;
    const int result = Run([this] {
        EXPECT_EQ(dlg_.windowTitle(), QStringLiteral("プロパティ"));
        EXPECT_TRUE(Memo()->isReadOnly());
        EXPECT_FALSE(Find<QRadioButton>("NormalRadioBtn")->isEnabled());
        EXPECT_FALSE(Find<QLineEdit>("LinkNameEdit")->isEnabled());
        EXPECT_EQ(Find<QComboBox>("GroupComboBox")->currentIndex(), -1);
        auto* text = Find<QPushButton>("CharColorBtn");
        QTest::mouseClick(text, Qt::LeftButton);
        EXPECT_EQ(text->text(), QStringLiteral("*文字"));
        QTest::mouseClick(Find<QPushButton>("OkBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(a->ColFG, 0x0000FFu);
    EXPECT_EQ(b->ColFG, 0x0000FFu);
    EXPECT_EQ(b->ColBG, 0x00FF00u);
    EXPECT_EQ(a->Columns, 4);
    EXPECT_EQ(b->Lines, 2);
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(b->Group, 2);
    EXPECT_EQ(a->Text, "a");
}

TEST_F(PropertyDialogTest, ExtractionFillsTheMemoFromHtmlMp3AndText) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString html = write("p.html", "<html><head><title>Page Title</title></head></html>");
    QByteArray mp3(300, '\0');
    mp3.replace(300 - 128, 3, "TAG");
    mp3.replace(300 - 125, 4, "Song");
    const QString song = write("s.mp3", mp3);
    const QString text = write("n.txt", "\n-----------------------------------\nFirst line\n");

    qv::Fragment* f = doc_.Add("", 1, 10, 10);
    doc_.Refresh();
    f->SetSelected(true);
    dlg_.Request() = {};
    dlg_.Request().Target = &doc_.set;
    Run([&] {
        auto* link = Find<QLineEdit>("LinkNameEdit");
        auto* extract = Find<QPushButton>("LnkExBtn");
        EXPECT_FALSE(extract->isEnabled());
        const std::pair<QString, Qt::Key> cases[] = {
            {html, Qt::Key_T}, {song, Qt::Key_T}, {text, Qt::Key_F}};
        for (const auto& [path, key] : cases) {
            link->setText(path);
            EXPECT_TRUE(extract->isEnabled());
            QTimer::singleShot(0, [key = key] {
                QWidget* popup = QApplication::activePopupWidget();
                ASSERT_NE(popup, nullptr);
                QTest::keyClick(popup, key);
            });
            QTest::mouseClick(extract, Qt::LeftButton);
            Memo()->moveCursor(QTextCursor::End);
            QTest::keyClicks(Memo(), QStringLiteral("|"));
        }
        QTest::keyClick(Memo(), Qt::Key_Return);
    });
    EXPECT_EQ(f->Text, "Page Title|Song|First line|");
}

TEST_F(PropertyDialogTest, OpensWhereItWasClosedAndAltLReachesTheLink) {
    QWidget parent;
    parent.setGeometry(200, 150, 640, 480);
    TFrgPropDlg dlg(doc_.env, ini_, nullptr, &parent);
    QRect first, later;
    QWidget* focusAfterAltL = nullptr;
    const auto open = [&](QRect& seen, bool tryAltL) {
        dlg.Request() = {};
        dlg.Request().Target = &doc_.set;
        dlg.Request().NewMode = true;
        QTimer::singleShot(0, &dlg, [&] {
            seen = dlg.geometry();
            if (tryAltL) {
                dlg.activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
                // Into the field, on to its "..." button, away to the group, and back.
                QTest::keyClick(&dlg, Qt::Key_L, Qt::AltModifier);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClick(&dlg, Qt::Key_G, Qt::AltModifier);
                QTest::keyClick(&dlg, Qt::Key_L, Qt::AltModifier);
                focusAfterAltL = QApplication::focusWidget();
            }
            QTest::keyClick(&dlg, Qt::Key_Escape);
        });
        dlg.exec();
    };
    open(first, true);
    EXPECT_EQ(ini_.ReadInteger("General", "FrgPropDlgTop", -1), first.top());
    for (int i = 0; i < 3; ++i)
        open(later, false);
    EXPECT_EQ(later, first) << "it must not walk down the screen";
    EXPECT_EQ(focusAfterAltL, dlg.findChild<QLineEdit*>(QStringLiteral("LinkNameEdit")));
}

TEST_F(PropertyDialogTest, ASymbolsHeightLooksAsDisabledAsItIs) {
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    Run([this] {
        ClickRadio(Find<QRadioButton>("SymbolRadioBtn"));
        auto* height = Find<QSpinBox>("FrgHiEdit");
        EXPECT_FALSE(height->isEnabled());
        // The desktop's disabled colours, not the white field of an editable one.
        const QPalette desktop = QApplication::palette(height);
        EXPECT_EQ(height->palette().color(QPalette::Disabled, QPalette::Base),
                  desktop.color(QPalette::Disabled, QPalette::Base));
        EXPECT_EQ(height->palette().color(QPalette::Disabled, QPalette::Text),
                  desktop.color(QPalette::Disabled, QPalette::Text));
        // Back to a card: editable, and white again.
        ClickRadio(Find<QRadioButton>("NormalRadioBtn"));
        EXPECT_TRUE(height->isEnabled());
        EXPECT_EQ(height->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
        QTest::keyClick(Memo(), Qt::Key_Escape);
    });
}

TEST_F(PropertyDialogTest, ThePictureChooserOffersEveryReadablePictureFirstAndEveryFile) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("photo.png"));
    QImage(4, 4, QImage::Format_RGB32).save(png);
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    QStringList filters;
    QString selected;
    Run([&] {
        ClickRadio(Find<QRadioButton>("ImageRadioBtn"));
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            filters = chooser->nameFilters();
            selected = chooser->selectedNameFilter();
            chooser->selectFile(png);
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QTest::mouseClick(Find<QPushButton>("LinkRefBtn"), Qt::LeftButton);
        EXPECT_EQ(Find<QLineEdit>("LinkNameEdit")->text(), png);
        QTest::keyClick(Memo(), Qt::Key_Escape);
    });
    ASSERT_GE(filters.size(), 5);
    EXPECT_TRUE(filters.front().startsWith(QStringLiteral("すべての画像 (")));
    EXPECT_EQ(selected, filters.front());
    for (const char* pattern : {"*.bmp", "*.JPG", "*.jpeg", "*.ico", "*.png", "*.PNG", "*.gif"})
        EXPECT_TRUE(filters.front().contains(QLatin1String(pattern))) << pattern;
    EXPECT_EQ(filters.back(), QStringLiteral("すべてのファイル (*)"));
}

TEST_F(PropertyDialogTest, AFileDroppedOnTheDialogBecomesTheLink) {
    dlg_.Request() = {};
    dlg_.Request().Target = &doc_.set;
    dlg_.Request().NewMode = true;
    Run([this] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/notes/plan.txt")),
                      QUrl::fromLocalFile(QStringLiteral("/data/other.txt"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&dlg_, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&dlg_, &drop);
        EXPECT_EQ(Find<QLineEdit>("LinkNameEdit")->text(), QStringLiteral("/data/notes/plan.txt"));
        QTest::keyClicks(Memo(), QStringLiteral("plan"));
        QTest::keyClick(Memo(), Qt::Key_Return);
    });
    ASSERT_EQ(doc_.set.Count(), 1);
    EXPECT_EQ(doc_.set.Fragments()[0]->Link, "/data/notes/plan.txt");
}

}  // namespace
