#include "app/studio/LivePainting.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/FluidScene.h"
#include "shell/Console.h"
#include "shell/panel/ParamPanel.h"

namespace vornix {

namespace {

constexpr const char* playedByComputer = "What the computer plays";
constexpr double silentDeviceSeconds = 2.0;   // no samples for this long: the panel and console say so

std::optional<std::uint64_t> parseSeed(const std::string& text)
{
    std::uint64_t seed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, seed);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return seed;
}

} // namespace

LivePainting::LivePainting(AudioInput::CaptureFactory captureFactory) : captureFactory_(std::move(captureFactory)) {}

LivePainting::~LivePainting() = default;

void LivePainting::setup(FluidScene& scene, const LaunchOptions& options, double now)
{
    scene_ = &scene;
    const std::uint64_t seed =
        options.seed ? *options.seed
                     : static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) % 1000000;
    autopilot.restart(seed);
    seedText = seedApplied_ = std::to_string(seed);
    autopilotOn = options.autopilot;
    lastInput_ = now;
    if (options.audio) {
        audioOn = true;
        choice_ = *options.audio;
    }
    // Onsets on the console with their place in the audio stream, and the autopilot's steps (for checking timing
    // and progress from outside, whatever the frame rate).
    const char* log = std::getenv("VORNIX_STUDIO_LOG");
    log_ = log && *log && std::string(log) != "0";
}

int LivePainting::addStudioEntries(ParamPanel& studio)
{
    studio_ = &studio;
    studio.addSeparator("Autopilot");
    studio.addParam("Autopilot", &autopilotOn,
                    "key=a help='Paint by itself: emitters wander over the fluid, dropping dye and pushing it. Gives "
                    "way while you paint and comes back after the idle time.'");
    studio.addParam("Emitters", &autopilotSettings.emitters, "min=1 max=8 step=1");
    studio.addParam("Strength", &autopilotSettings.strength, "precision=1 min=0 max=5 step=0.1");
    studio.addParam("Speed", &autopilotSettings.speed, "precision=1 min=0.1 max=5 step=0.1");
    studio.addParam("Start When Idle", &startWhenIdle,
                    "help='Start the autopilot by itself after the idle time without input.'");
    studio.addParam("Idle Seconds", &idleSeconds,
                    "precision=0 min=1 max=3600 step=1 help='How long without input before the autopilot starts "
                    "(with Start When Idle) or comes back after you painted.'");
    studio.addTextInput("Seed", &seedText, "help='The same seed paints the same picture again (CPU engine).'");
    studio.addButton("Replay Seed", [this] { replaySeed(); }, "help='Clear the fluid and paint again from the seed.'");

    studio.addSeparator("Music");
    studio.addParam("React to Sound", &audioOn,
                    "key=u help='Beats drop dye and push the fluid, and the sound keeps it moving. Silence paints "
                    "nothing.'");
    studio.addEnumParam("Input", {playedByComputer}, &inputIndex,
                        "help='What vornix listens to: the sound the computer plays, or an input the system lists.'");
    // Two lines whatever the state says, so the rows below do not move when it changes.
    studio.addText("", [this] { return audioState_; }, "lines=2");
    studio.addMeter("Bass", &meters[0], 2.0f, "help='1/2 of the bar: as loud as usual.'");
    studio.addMeter("Mid", &meters[1], 2.0f, "help='1/2 of the bar: as loud as usual.'");
    studio.addMeter("Treble", &meters[2], 2.0f, "help='1/2 of the bar: as loud as usual.'");
    studio.addParam("Sensitivity", &analysisSettings.sensitivity,
                    "precision=1 min=0.2 max=5 step=0.1 help='Higher: softer beats count.'");
    studio.addParam("Gain", &analysisSettings.gain, "precision=1 min=0 max=5 step=0.1 help='How much the sound "
                                                    "moves the fluid, beyond its automatic gain.'");
    studio.addParam("Bass Strength", &musicSettings.strength[0], "precision=1 min=0 max=5 step=0.1");
    studio.addParam("Mid Strength", &musicSettings.strength[1], "precision=1 min=0 max=5 step=0.1");
    studio.addParam("Treble Strength", &musicSettings.strength[2], "precision=1 min=0 max=5 step=0.1");
    return 300;   // 20 rows and the two-line state
}

// =====================================================================================================================
// Autopilot
// =====================================================================================================================

void LivePainting::applySeedText()
{
    if (seedText == seedApplied_)
        return;
    seedApplied_ = seedText;
    if (const auto seed = parseSeed(seedText)) {
        autopilot.restart(*seed);
        console() << "Autopilot: seed " << *seed << std::endl;
    } else {
        console() << "Autopilot: the seed '" << seedText << "' is not a whole number from 0 to 18446744073709551615; "
                  << "the autopilot keeps seed " << autopilot.seed() << std::endl;
    }
}

bool LivePainting::autopilotPainting(double now) const
{
    return (autopilotOn || idleStarted_) && now >= yieldUntil_;
}

void LivePainting::handPainted(double now)
{
    inputSeen(now);
    yieldUntil_ = now + idleSeconds;
}

void LivePainting::inputSeen(double now)
{
    lastInput_ = now;
    idleStarted_ = false;
}

bool LivePainting::keyDown(char character)
{
    if (character == 'a')
        autopilotOn = !autopilotOn;
    else if (character == 'u')
        audioOn = !audioOn;
    else
        return false;
    return true;
}

void LivePainting::replaySeed()
{
    if (!scene_)
        return;
    scene_->model->reset();
    scene_->current.paused = false;
    autopilot.restart(autopilot.seed());
}

// =====================================================================================================================
// Frame and step
// =====================================================================================================================

void LivePainting::update(double now)
{
    applySeedText();
    if (autopilotOn != autopilotReported_) {
        autopilotReported_ = autopilotOn;
        yieldUntil_ = -1.0;
        console() << "Autopilot: " << (autopilotOn ? "on" : "off") << ", seed " << autopilot.seed() << std::endl;
    }
    const bool idle = startWhenIdle && now - lastInput_ >= idleSeconds;
    if (idle && !idleStarted_)
        console() << "Autopilot: started after " << idleSeconds << " s without input" << std::endl;
    idleStarted_ = idle;
    updateAudio();
}

void LivePainting::beforeStep(int windowWidth, int windowHeight, double now)
{
    if (!scene_)
        return;
    const bool autopilotRuns = autopilotPainting(now);
    std::vector<HandStroke> strokes;
    if (autopilotRuns) {
        strokes = autopilot.step(autopilotSettings, windowWidth, windowHeight);
        if (log_ && autopilot.steps() % 30 == 0)
            console() << "Autopilot: step " << autopilot.steps() << std::endl;
    }
    if (audioOn) {
        const std::vector<HandStroke> music =
            musicStrokes(meters, onsets_, autopilotRuns ? autopilot.places(autopilotSettings) : fixedMusicEmitters(),
                         musicSettings, windowWidth, windowHeight);
        strokes.insert(strokes.end(), music.begin(), music.end());
    }
    onsets_.clear();
    for (const HandStroke& s : strokes)
        paintStroke(*scene_->model, scene_->current, windowWidth, windowHeight, s);
}

// =====================================================================================================================
// Audio
// =====================================================================================================================

void LivePainting::showDevices(const AudioSnapshot& s)
{
    devicesVersion_ = s.devicesVersion;
    // The entry keeps pointing at the same input when the list changes; a chosen input that is gone stays the
    // choice (the capture waits for it), shown as the first item until it returns.
    const std::string chosenId = choice_;
    devices_ = s.devices;
    std::vector<std::string> items{playedByComputer};
    std::int32_t index = 0;
    for (std::size_t k = 0; k < devices_.size(); ++k) {
        items.push_back(devices_[k].name);
        if (!chosenId.empty() && index == 0 &&
            (devices_[k].id == chosenId || devices_[k].name.find(chosenId) != std::string::npos))
            index = static_cast<std::int32_t>(k + 1);
    }
    if (studio_)
        studio_->setItems("Input", items);
    inputIndex = inputApplied_ = index;
}

void LivePainting::updateAudio()
{
    if (inputIndex != inputApplied_) {
        inputApplied_ = inputIndex;
        const std::size_t k = static_cast<std::size_t>(inputIndex);
        choice_ = inputIndex > 0 && k <= devices_.size() ? devices_[k - 1].id : std::string();
    }
    const bool wanted = audioOn || (studio_ && studio_->isVisible());
    if (!audio_ && !wanted)
        return;
    if (!audio_)
        audio_ = std::make_unique<AudioInput>(captureFactory_);
    if (!audio_->connected() || audioOn != audioApplied_ || choice_ != choiceApplied_) {
        audioApplied_ = audioOn;
        choiceApplied_ = choice_;
        audio_->listen(audioOn, choice_);
    }
    audio_->setAnalysisSettings(analysisSettings);

    const AudioSnapshot s = audio_->snapshot();
    for (const std::string& line : audio_->takeMessages())
        console() << line << std::endl;
    if (s.devicesVersion != devicesVersion_)
        showDevices(s);
    meters = s.levels;
    audioState_ = s.state.empty() ? std::string(audioOn ? "connecting ..." : "off") : s.state;
    const bool silent = audioOn && s.listening && s.secondsSinceData > silentDeviceSeconds;
    if (silent) {
        char text[64];
        std::snprintf(text, sizeof text, "; no sound arrives (%.0f s)", s.secondsSinceData);
        audioState_ += text;
    }
    if (silent != silentReported_) {
        silentReported_ = silent;
        console() << "Audio: " << (silent ? "no sound arrives from '" + s.device + "'" : "sound arrives again")
                  << std::endl;
    }
    onsets_ = audio_->takeOnsets();
    if (!audioOn)
        onsets_.clear();
    if (log_)
        for (const AudioOnset& o : onsets_) {
            char line[96];
            std::snprintf(line, sizeof line, "Audio onset: %s at %.4f s (%.2f)", audioBandName(o.band), o.seconds,
                          static_cast<double>(o.strength));
            console() << line << std::endl;
        }
}

} // namespace vornix
