#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutForm;
}

namespace veltrane {

class Runtime;

// The About box. Every opening builds it afresh, so its load step runs each time and nothing
// carries over from one opening to the next.
class AboutForm : public QDialog {
    Q_OBJECT

public:
    explicit AboutForm(const Runtime& runtime, QWidget* parent = nullptr);
    ~AboutForm() override;

private:
    void placeControls();
    void drawEtchedRule();
    void load(const Runtime& runtime);

    std::unique_ptr<Ui::AboutForm> ui_;
};

} // namespace veltrane
