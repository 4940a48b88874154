// LivePainting: what paints without a hand on the mouse, in two groups of the Studio panel:
//   - "Autopilot" (key a, --autopilot, --seed): emitters wandering over the fluid, their number, strength, speed,
//     starting when idle, and the seed that makes a run repeatable;
//   - "Music" (key u, --audio[=NAME]): dye that moves with the sound of an input the user chooses, with a level
//     meter per band, what the capture says about its state, sensitivity, gain and a strength per band.
// vornixApp calls it once per frame, right before every simulation step and from its input hooks. Both are off
// until the user (or the command line) turns them on; with no audio system the music group says so and nothing else
// changes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/studio/Autopilot.h"
#include "app/studio/LaunchOptions.h"
#include "app/studio/MusicBrush.h"
#include "shell/audio/AudioInput.h"

namespace vornix {

class FluidScene;
class ParamPanel;

class LivePainting {
public:
    // Makes the audio input when sound is first wanted; by default on the platform's capture.
    explicit LivePainting(AudioInput::CaptureFactory captureFactory = {});
    ~LivePainting();

    // Where the sound comes from from now on (before it is first wanted; for tests, a stand-in).
    void useCapture(AudioInput::CaptureFactory captureFactory) { captureFactory_ = std::move(captureFactory); }

    // Takes the command line (--autopilot, --seed, --audio; without a seed one is drawn from the clock and shown in
    // the panel, so a good run can be repeated). The scene outlives this object's use of it.
    void setup(FluidScene& scene, const LaunchOptions& options, double now);
    // Adds both groups to the Studio panel (which outlives this object's use of it); returns the height they need.
    int addStudioEntries(ParamPanel& studio);

    // Once per frame before the step: panel edits, the idle start, what the audio capture reports.
    void update(double now);
    // Right before each simulation step (also a single step while paused): the strokes of this step.
    void beforeStep(int windowWidth, int windowHeight, double now);

    // The user painted into the fluid: the autopilot gives way at once and resumes after the idle time.
    void handPainted(double now);
    // Any input (keys, clicks, motion): the idle time starts again.
    void inputSeen(double now);
    // 'a' turns the autopilot on or off, 'u' the reaction to sound. Answers whether the key was one of these.
    bool keyDown(char character);

    // Whether the autopilot paints in this step (on, or started by idleness, and not giving way to the hand).
    bool autopilotPainting(double now) const;
    // Clears the fluid and runs the autopilot again from its seed: the same picture as the first time.
    void replaySeed();
    // The state line of the music group ("off", "listening to ...", "no audio system answers ...").
    const std::string& audioState() const { return audioState_; }

    bool autopilotOn = false;
    bool startWhenIdle = false;
    float idleSeconds = 10.0f;
    AutopilotSettings autopilotSettings;
    std::string seedText;
    Autopilot autopilot;

    bool audioOn = false;
    std::int32_t inputIndex = 0;   // 0: what the computer plays; k: the k-th listed input
    AudioAnalysisSettings analysisSettings;
    MusicSettings musicSettings;
    std::array<float, audioBandCount> meters{};

private:
    void applySeedText();
    void updateAudio();
    void showDevices(const AudioSnapshot& s);

    AudioInput::CaptureFactory captureFactory_;
    std::unique_ptr<AudioInput> audio_;
    FluidScene* scene_ = nullptr;
    ParamPanel* studio_ = nullptr;
    std::string seedApplied_;
    double lastInput_ = 0.0;
    double yieldUntil_ = -1.0;
    bool idleStarted_ = false;
    bool autopilotReported_ = false;

    std::string choice_;                   // "" or the chosen input's id (or the command line's NAME)
    bool audioApplied_ = false;
    std::int32_t inputApplied_ = 0;
    std::string choiceApplied_;
    std::vector<AudioDevice> devices_;     // as the Input entry lists them after its first item
    unsigned devicesVersion_ = 0;
    std::string audioState_ = "off";
    bool silentReported_ = false;
    std::vector<AudioOnset> onsets_;       // taken this frame, painted by the next step
    bool log_ = false;
};

} // namespace vornix
