#pragma once

#include "identity/version.h"

#include <QDialog>
#include <memory>

namespace Ui {
class AboutForm;
}

namespace veltrane {

// The About box. Every opening builds it afresh, so its load step runs each time and nothing
// carries over from one opening to the next. It shows the version it is given.
class AboutForm : public QDialog {
    Q_OBJECT

public:
    Q_DISABLE_COPY_MOVE(AboutForm)

    explicit AboutForm(const identity::Version& version = identity::version,
                       QWidget* parent = nullptr);
    ~AboutForm() override;

private:
    void placeControls();
    void drawEtchedRule();
    void load(const identity::Version& version);

    std::unique_ptr<Ui::AboutForm> ui_;
};

} // namespace veltrane
