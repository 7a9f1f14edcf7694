#include "forms/about/about_form.h"

#include "forms/twips_scale.h"
#include "identity/identity.h"
#include "resources/resource_paths.h"
#include "ui_about_form.h"

#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <array>

namespace veltrane {

namespace {

// The dialog's client area and where it opens on the screen, in twips.
constexpr int clientLeft = 2340;
constexpr int clientTop = 1935;
constexpr int clientWidth = 5730;
constexpr int clientHeight = 3555;

// One line of the etched rule: from (left, top) to (right, top) in twips, a pen `pixels` wide.
struct RuleLine {
    QWidget* widget = nullptr;
    int index = 0;
    int left = 0;
    int right = 0;
    int top = 0;
    int pixels = 0;
    QColor colour;
};

void paint(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

} // namespace

AboutForm::AboutForm(const identity::Version& version, QWidget* parent)
    : QDialog(parent)
    , ui_{std::make_unique<Ui::AboutForm>()} {
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A fixed dialog frame: a close box, no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QString::fromLatin1(resources::iconPath)));

    // The picture first: its box takes its size from it.
    ui_->picIcon->setPixmap(
        QPixmap::fromImage(QImage(QString::fromLatin1(resources::aboutPicturePath))));
    placeControls();
    drawEtchedRule();

    // OK is both the default button (Enter) and the cancel button (Esc, which rejects).
    ui_->cmdOK->setAutoDefault(true);
    connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    paint(*ui_->lblDescription, QPalette::WindowText, Qt::black);
    paint(*ui_->lblDisclaimer, QPalette::WindowText, Qt::black);

    load(version);
    ui_->cmdOK->setFocus();
}

AboutForm::~AboutForm() = default;

void AboutForm::placeControls() {
    const TwipsScale scale = TwipsScale::forFont(font());
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        control->setGeometry(scale.fromDesignPixels(control->geometry()));
    }
    // The picture box sizes itself to its picture (48 pixels and its border on each side, the
    // drawn 780 twips at 15 twips a pixel), so no scale leaves a gap round the picture. The
    // picture stands still: only its first frame is shown.
    QLabel* picture = ui_->picIcon;
    const int border = picture->frameWidth();
    picture->resize(picture->pixmap().deviceIndependentSize().toSize() +
                    QSize(2 * border, 2 * border));
    const QRect client = scale.rect(clientLeft, clientTop, clientWidth, clientHeight);
    setFixedSize(client.size());
    // The client area's top-left corner at a fixed place on the screen, not centred.
    setGeometry(client);
}

void AboutForm::drawEtchedRule() {
    const TwipsScale scale = TwipsScale::forFont(font());
    // The only place the rule's two lines are placed: the layout file leaves them unplaced.
    const std::array<RuleLine, 2> lines{{
        {ui_->line1Index1, 1, 90, 5654, 2445, 1, QColor(128, 128, 128)},
        {ui_->line1Index0, 0, 105, 5654, 2460, 2, QColor(255, 255, 255)},
    }};
    for (const RuleLine& line : lines) {
        QWidget* widget = line.widget;
        // Both lines are elements of one control array.
        widget->setObjectName(QStringLiteral("Line1"));
        widget->setProperty("index", line.index);
        const int left = scale.pixels(line.left);
        widget->setGeometry(left, scale.pixels(line.top), scale.pixels(line.right) - left,
                            line.pixels);
        widget->setAutoFillBackground(true);
        paint(*widget, QPalette::Window, line.colour);
    }
}

// Replaces the layout's caption and version text before the dialog is ever seen.
void AboutForm::load(const identity::Version& version) {
    setWindowTitle(QStringLiteral("About %1 ").arg(QString::fromUtf8(identity::title)));
    ui_->lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                                 .arg(version.majorNumber)
                                 .arg(version.minorNumber)
                                 .arg(version.revision));
}

} // namespace veltrane
