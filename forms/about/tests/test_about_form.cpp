// frmAbout: its layout, its load step, its texts, its picture and how it closes.

#include "forms/about/about_form.h"
#include "forms/twips_scale.h"
#include "resources/resource_paths.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using veltrane::AboutForm;
using veltrane::TwipsScale;

namespace {

const QString description = QStringLiteral(
    "Veltrane was designed for the heavy hitter, like you.  Simply enter all the fields in the "
    "left "
    "column of Veltrane, hit the Calculate button and view the results in the right column. Good "
    "luck!");

TwipsScale scaleOf(const QWidget& widget) {
    return TwipsScale::forFont(widget.font());
}

} // namespace

class TestAboutForm : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void clientAreaIsFixedAndPlaced();
    void loadStepSetsCaptionAndVersion();
    void loadStepShowsTheVersionItIsGiven();
    void texts();
    void noTextIsClipped();
    void etchedRule();
    void pictureIsTheFirstFrame();
    void pictureBoxFitsItsPicture();
    void tabMovesBetweenOkAndPicture();
    void enterAndEscClose_data();
    void enterAndEscClose();
};

void TestAboutForm::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("takesFocus");
    // The picture box's rectangle is where it starts; its size is its picture's (below).
    QTest::newRow("picIcon") << "picIcon"
                             << "QLabel"
                             << "" << QRect(120, 240, 780, 780) << true;
    QTest::newRow("cmdOK") << "cmdOK"
                           << "QPushButton"
                           << "OK" << QRect(4245, 3000, 1260, 345) << true;
    QTest::newRow("lblTitle") << "lblTitle"
                              << "QLabel"
                              << "Veltrane" << QRect(1200, 240, 3975, 375) << false;
    QTest::newRow("lblDescription")
        << "lblDescription"
        << "QLabel" << description << QRect(1200, 1125, 3885, 1170) << false;
    QTest::newRow("lblVersion") << "lblVersion"
                                << "QLabel"
                                << "Version 1.0.2" << QRect(1200, 780, 3885, 225) << false;
    QTest::newRow("lblDisclaimer") << "lblDisclaimer"
                                   << "QLabel" << QString() << QRect(255, 2640, 3870, 825) << false;
}

void TestAboutForm::layout() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(bool, takesFocus);
    AboutForm about;
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    auto* control = about.findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QVERIFY(control->inherits(qPrintable(kind)));
    const TwipsScale scale = scaleOf(about);
    QRect expected = scale.rect(twips.x(), twips.y(), twips.width(), twips.height());
    if (name == QLatin1String("picIcon")) {
        // 48 pixels of picture and a two-pixel border on each side, at any scale.
        expected.setSize(QSize(52, 52));
    }
    QCOMPARE(control->geometry(), expected);
    QCOMPARE((control->focusPolicy() & Qt::TabFocus) != 0, takesFocus);
    if (!text.isNull()) {
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
        } else {
            QCOMPARE(qobject_cast<QPushButton*>(control)->text(), text);
        }
    }
}

void TestAboutForm::clientAreaIsFixedAndPlaced() {
    AboutForm about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const TwipsScale scale = scaleOf(about);
    // At the drawn 15 twips per pixel this is 382 x 237 at (156, 129).
    QCOMPARE(about.geometry(), scale.rect(2340, 1935, 5730, 3555));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!about.windowIcon().isNull());
    QCOMPARE(about.focusWidget(), about.findChild<QWidget*>(QStringLiteral("cmdOK")));
}

void TestAboutForm::loadStepSetsCaptionAndVersion() {
    AboutForm about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Veltrane "));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 1.0.2"));
}

// Another version, to show that the text comes from the value given and from nowhere else.
void TestAboutForm::loadStepShowsTheVersionItIsGiven() {
    const AboutForm about(veltrane::identity::Version{3, 10, 7});
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 3.10.7"));
}

void TestAboutForm::texts() {
    AboutForm about;
    const QString notice = about.findChild<QLabel*>(QStringLiteral("lblDisclaimer"))->text();
    // A sentence of its own, two spaces, the request to report problems, then the rights.
    QVERIFY(!notice.isEmpty() && !notice.front().isSpace());
    const qsizetype gap = notice.indexOf(QStringLiteral(".  "));
    QVERIFY(gap > 0);
    const QString rest = notice.mid(gap + 3);
    QVERIFY(rest.startsWith(QStringLiteral("Please log onto")));
    QVERIFY(rest.contains(QStringLiteral("https://veltrane.example/")));
    QVERIFY(rest.contains(QStringLiteral("report")));
    QVERIFY(notice.endsWith(
        QStringLiteral("Copyright © 2026 Veltrane Software. All rights reserved.")));
    for (const char* name : {"lblDescription", "lblDisclaimer"}) {
        const auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QVERIFY(label->wordWrap());
    }
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        // No access keys in the About box.
        QVERIFY(!label->text().contains(QLatin1Char('&')));
        QCOMPARE(label->buddy(), nullptr);
    }
}

void TestAboutForm::noTextIsClipped() {
    AboutForm about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            continue;
        }
        const QRect room = label->contentsRect();
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, room.width(), 10000),
                                               Qt::TextWordWrap | Qt::AlignLeft, label->text());
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 needs %2 x %3 in %4 x %5")
                                .arg(label->objectName())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
    }
    const auto* ok = about.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    QVERIFY(ok->sizeHint().height() <= ok->height());
    QVERIFY(QFontMetrics(ok->font()).horizontalAdvance(ok->text()) < ok->width());
}

void TestAboutForm::etchedRule() {
    AboutForm about;
    const QList<QWidget*> lines = about.findChildren<QWidget*>(QStringLiteral("Line1"));
    QCOMPARE(lines.size(), 2);
    const QWidget* grey = lines[0]->property("index").toInt() == 1 ? lines[0] : lines[1];
    const QWidget* white = grey == lines[0] ? lines[1] : lines[0];
    QCOMPARE(grey->property("index").toInt(), 1);
    QCOMPARE(white->property("index").toInt(), 0);
    QCOMPARE(grey->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(white->palette().color(QPalette::Window), QColor(255, 255, 255));
    QVERIFY(grey->autoFillBackground() && white->autoFillBackground());
    QCOMPARE(grey->height(), 1);
    QCOMPARE(white->height(), 2);
    // The white line one pixel lower and one pixel further right, both ending together.
    QCOMPARE(white->y(), grey->y() + 1);
    QCOMPARE(white->x(), grey->x() + 1);
    QCOMPARE(white->geometry().right(), grey->geometry().right());
    const TwipsScale scale = scaleOf(about);
    QCOMPARE(grey->geometry(),
             QRect(scale.pixels(90), scale.pixels(2445), scale.pixels(5654) - scale.pixels(90), 1));
    QCOMPARE(grey->focusPolicy(), Qt::NoFocus);
}

void TestAboutForm::pictureIsTheFirstFrame() {
    AboutForm about;
    const auto* picture = about.findChild<QLabel*>(QStringLiteral("picIcon"));
    const QPixmap shown = picture->pixmap();
    QCOMPARE(shown.size(), QSize(48, 48));
    const QImage first(QString::fromLatin1(veltrane::resources::aboutPicturePath));
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             first.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    QCOMPARE(picture->movie(), nullptr);
    // A sunken two-pixel border round the picture.
    QCOMPARE(picture->frameShadow(), QFrame::Sunken);
    QCOMPARE(picture->frameWidth(), 2);
}

// The box fits its picture whatever the font's scale: no gap between the border and the picture.
void TestAboutForm::pictureBoxFitsItsPicture() {
    const QFont original = QApplication::font();
    QFont large = original;
    large.setPointSizeF(original.pointSizeF() * 1.5);
    for (const QFont& font : {original, large}) {
        QApplication::setFont(font);
        AboutForm about;
        const auto* picture = about.findChild<QLabel*>(QStringLiteral("picIcon"));
        QCOMPARE(picture->contentsRect().size(), picture->pixmap().size());
        QCOMPARE(picture->pos(), scaleOf(about).rect(120, 240, 780, 780).topLeft());
    }
    QApplication::setFont(original);
}

void TestAboutForm::tabMovesBetweenOkAndPicture() {
    AboutForm about;
    about.show();
    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto* ok = about.findChild<QWidget*>(QStringLiteral("cmdOK"));
    auto* picture = about.findChild<QWidget*>(QStringLiteral("picIcon"));
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), picture);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);
}

void TestAboutForm::enterAndEscClose_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on OK") << "cmdOK" << int(Qt::Key_Enter);
    QTest::newRow("Esc on OK") << "cmdOK" << int(Qt::Key_Escape);
    QTest::newRow("Enter on the picture") << "picIcon" << int(Qt::Key_Return);
    QTest::newRow("Esc on the picture") << "picIcon" << int(Qt::Key_Escape);
}

void TestAboutForm::enterAndEscClose() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    AboutForm about;
    about.show();
    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    about.findChild<QWidget*>(focus)->setFocus();
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestAboutForm)
#include "test_about_form.moc"
