// The main window: the drawing area with the full view and its two insets, the
// control column, the status bar with the speed bar, and the flight run.
#pragma once

#include "ui/canvas.h"
#include "ui/stepper_buttons.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolButton;

namespace orrimar {

class MaskEdit;
class PaintBox;
class StatusBar;
struct FlightPoint;
struct FlightStep;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // openingSequence: show the About box and then the configuration sketch after the
    // window's first resize (tests switch it off).
    explicit MainWindow(bool openingSequence = true, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Ticks per second of the pacing clock.
    static std::int64_t CounterFrequency();

    // Flips the enabled state of every control tagged for it, and the maximise button.
    // Called in pairs around a flight.
    void ToggleControls();
    bool Flying() const { return flying_; }

    void BttnStartClick();
    void BttnTermClick();
    void BttnConfClick();
    void BttnAboutClick();
    void BttnClipBoardClick();
    void ComboBox1Change(int index);
    void UpDown1Click(TUDBtnType button);
    void UpDown2Click(TUDBtnType button);
    void UpDown3Click(TUDBtnType button);

    // The window's part of an output point: paces, draws, shows and sounds it.
    void PaceFlight();
    void ShowFlightStep(const FlightStep& step);
    void DrawFlightPoint(const FlightPoint& point);
    bool FlightCancelRequested() const { return CancelRequested; }
    // Index of the last output point drawn (-1 before the first flight).
    int LastPointIndex() const { return lastPointIndex_; }

    // Drawing area.
    QFrame* Panel1;
    PaintBox* PBox1;
    QFrame* Panel2;
    PaintBox* PBox2;
    QFrame* Panel3;
    PaintBox* PBox3;

    // Control column.
    QFrame* Panel4;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    MaskEdit* MaskEdit1;
    MaskEdit* MaskEdit2;
    MaskEdit* MaskEdit3;
    UpDown* UpDown1;
    UpDown* UpDown2;
    UpDown* UpDown3;
    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QGroupBox* GroupBox2;
    QToolButton* BttnStart;
    QToolButton* BttnTerm;
    QToolButton* BttnConf;
    QGroupBox* GroupBox20;
    QSlider* TrackBar1;
    QLabel* SlowLabel;
    QLabel* ArrowImage;
    QLabel* FastLabel;
    QToolButton* BttnAbout;
    QPushButton* BttnExit;
    QToolButton* BttnClipBoard;

    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateDrawingArea();
    void CreateControlColumn();
    QGroupBox* CreateParams();
    QGroupBox* CreateStartStop();
    QGroupBox* CreateDisplay();
    void CreateStatusBar();
    void ConnectHandlers();
    void FormResize();
    void FormClose();
    void SetupViews();
    void SetupInset(PaintBox& box, const QString& label, const QColor& disc, double radius);
    void StepField(MaskEdit& field, int which, TUDBtnType button);
    bool FieldsIncomplete();
    void EndFlight();

    bool FirstResizeDone = false;
    std::unique_ptr<Bitmap> MoonBackground;
    bool CancelRequested = false;
    int MoonRadiusPx = 0;
    double OutputInterval = 0.0;

    std::int64_t NextPointDeadline = 0;
    PixelRect MoonBufferRect;
    PixelRect MoonScreenRect;

    bool openingSequence_;
    bool flying_ = false;
    bool closeAfterFlight_ = false;  // the window was closed during a flight
    int lastPointIndex_ = -1;
};

}  // namespace orrimar
