#include "effects/Effects.h"

#include "effects/BitmapFont.h"
#include "effects/PictureDecoding.h"
#include "effects/PictureMapping.h"
#include "model/SequencePlayback.h"
#include "model/ShowOperations.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tinctara {

namespace {

constexpr double Tau = 2 * std::numbers::pi;

std::uint8_t byteOf(double value) { return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }

Rgbw mix(Rgbw a, Rgbw b, double t)
{
    const auto m = [t](std::uint8_t x, std::uint8_t y) { return byteOf(x + (y - x) * t); };
    return {m(a.red, b.red), m(a.green, b.green), m(a.blue, b.blue), m(a.white, b.white)};
}

double fraction(double value) { return value - std::floor(value); }

// Fully saturated hue h in [0, 1): red, yellow, green, cyan, blue, magenta.
Rgbw hue(double h)
{
    const double sector = fraction(h) * 6;
    const int index = static_cast<int>(sector) % 6;
    const double rise = sector - std::floor(sector);
    const std::uint8_t up = byteOf(255 * rise);
    const std::uint8_t down = byteOf(255 * (1 - rise));
    switch (index) {
    case 0:
        return {255, up, 0, 0};
    case 1:
        return {down, 255, 0, 0};
    case 2:
        return {0, 255, up, 0};
    case 3:
        return {0, down, 255, 0};
    case 4:
        return {up, 0, 255, 0};
    default:
        return {255, 0, down, 0};
    }
}

// A colour on the closed ring of the effect's colours (or of the hues):
// position 0 is the first colour, 1/n the second, ..., back to the first at 1.
Rgbw palette(const std::vector<Rgbw>& colours, double position)
{
    if (colours.empty())
        return hue(position);
    if (colours.size() == 1)
        return colours.front();
    const double scaled = fraction(position) * static_cast<double>(colours.size());
    const std::size_t index = static_cast<std::size_t>(scaled) % colours.size();
    return mix(colours[index], colours[(index + 1) % colours.size()], scaled - std::floor(scaled));
}

struct Cell {
    double x;  // (column - 1) / columns: 0 at the left edge
    double y;  // (row - 1) / rows: 0 at the top
};

Cell cellOf(const EffectWall& wall, int element)
{
    const ElementPosition p = wall.positions[element - 1];
    return {wall.columns > 0 ? (p.column - 1.0) / wall.columns : 0.0, wall.rows > 0 ? (p.row - 1.0) / wall.rows : 0.0};
}

// Where a lamp lies along the direction of travel, in wall widths.
double alongDirection(const EffectWall& wall, int element, EffectDirection direction)
{
    const Cell cell = cellOf(wall, element);
    switch (direction) {
    case EffectDirection::Right:
        return cell.x;
    case EffectDirection::Left:
        return -cell.x;
    case EffectDirection::Down:
        return cell.y;
    case EffectDirection::Up:
        return -cell.y;
    case EffectDirection::Diagonal:
        return (cell.x + cell.y) / 2;
    case EffectDirection::Centre: {
        const ElementPosition p = wall.positions[element - 1];
        const double dx = (p.column - 0.5) / std::max(wall.columns, 1) - 0.5;
        const double dy = (p.row - 0.5) / std::max(wall.rows, 1) - 0.5;
        return std::sqrt(dx * dx + dy * dy);
    }
    }
    return 0;
}

using Picture = std::vector<Rgbw>;

// A gradient that travels: the phase moves by `speed` cycles over the
// sequence, so whole speeds loop without a jump.
void rainbow(const EffectWall& wall, const EffectParameters& p, int steps, std::vector<Picture>& out)
{
    const double width = p.width > 0 ? p.width : 1.0;
    for (int s = 0; s < steps; ++s) {
        Picture picture(static_cast<std::size_t>(wall.elements()));
        const double phase = p.speed * s / steps;
        for (int e = 1; e <= wall.elements(); ++e)
            picture[e - 1] = palette(p.colours, alongDirection(wall, e, p.direction) / width - phase);
        out.push_back(std::move(picture));
    }
}

// Sums of sines moving with time, mapped onto the palette.
void plasma(const EffectWall& wall, const EffectParameters& p, int steps, std::vector<Picture>& out)
{
    const double k = Tau * (p.scale > 0 ? p.scale : 1.0);
    for (int s = 0; s < steps; ++s) {
        Picture picture(static_cast<std::size_t>(wall.elements()));
        const double t = Tau * p.speed * s / steps;
        for (int e = 1; e <= wall.elements(); ++e) {
            const Cell c = cellOf(wall, e);
            const double cx = c.x - 0.5, cy = c.y - 0.5;
            const double v = std::sin(k * c.x + t) + std::sin(k * c.y - t) + std::sin(k * (c.x + c.y) / 2 + t) +
                             std::sin(k * std::sqrt(cx * cx + cy * cy) * 2 - t);
            picture[e - 1] = palette(p.colours, (v + 4) / 8);
        }
        out.push_back(std::move(picture));
    }
}

// Where each element stands on the chase's path, and the path's length.
std::vector<int> chasePositions(const EffectWall& wall, ChasePattern pattern, int& length)
{
    std::vector<int> at(static_cast<std::size_t>(wall.elements()));
    switch (pattern) {
    case ChasePattern::Lamp:
        length = wall.elements();
        for (int e = 1; e <= wall.elements(); ++e)
            at[e - 1] = e - 1;
        break;
    case ChasePattern::Row:
        length = wall.rows;
        for (int e = 1; e <= wall.elements(); ++e)
            at[e - 1] = wall.positions[e - 1].row - 1;
        break;
    case ChasePattern::Column:
        length = wall.columns;
        for (int e = 1; e <= wall.elements(); ++e)
            at[e - 1] = wall.positions[e - 1].column - 1;
        break;
    case ChasePattern::Snake:
        length = wall.columns * wall.rows;
        for (int e = 1; e <= wall.elements(); ++e) {
            const ElementPosition p = wall.positions[e - 1];
            const int column = (p.row % 2 == 1) ? p.column - 1 : wall.columns - p.column;
            at[e - 1] = (p.row - 1) * wall.columns + column;
        }
        break;
    }
    return at;
}

// The head moves `speed` places per step along the path (backwards for left
// and up); the tail fades from foreground to background behind it.
void chase(const EffectWall& wall, const EffectParameters& p, int steps, std::vector<Picture>& out)
{
    const Rgbw foreground = p.colours.size() > 0 ? p.colours[0] : Rgbw{255, 255, 255, 0};
    const Rgbw background = p.colours.size() > 1 ? p.colours[1] : Rgbw{0, 0, 0, 0};
    int length = 1;
    const std::vector<int> at = chasePositions(wall, p.chase, length);
    length = std::max(length, 1);
    const bool backwards = p.direction == EffectDirection::Left || p.direction == EffectDirection::Up;
    const int stride = std::max(1, static_cast<int>(std::lround(p.speed)));
    const int tail = std::max(p.tail, 0);
    for (int s = 0; s < steps; ++s) {
        Picture picture(static_cast<std::size_t>(wall.elements()), background);
        const int head = static_cast<int>((static_cast<long long>(s) * stride) % length);
        for (int e = 1; e <= wall.elements(); ++e) {
            int place = at[e - 1];
            if (backwards)
                place = length - 1 - place;
            const int behind = ((head - place) % length + length) % length;
            if (behind <= tail)
                picture[e - 1] = mix(foreground, background, static_cast<double>(behind) / (tail + 1));
        }
        out.push_back(std::move(picture));
    }
}

// A small generator of our own so that a seed gives the same twinkle on every
// machine and library (splitmix64).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

void twinkle(const EffectWall& wall, const EffectParameters& p, int steps, std::vector<Picture>& out)
{
    const Rgbw flash = p.colours.size() > 0 ? p.colours[0] : Rgbw{255, 255, 255, 0};
    const Rgbw background = p.colours.size() > 1 ? p.colours[1] : Rgbw{0, 0, 0, 0};
    const int fade = std::max(p.fadeSteps, 1);
    Random random(p.seed);
    std::vector<int> age(static_cast<std::size_t>(wall.elements()), fade);  // fade = dark
    for (int s = 0; s < steps; ++s) {
        Picture picture(static_cast<std::size_t>(wall.elements()));
        for (int e = 0; e < wall.elements(); ++e) {
            if (age[e] < fade)
                ++age[e];
            if (random.unit() < p.density)
                age[e] = 0;
            picture[e] = mix(flash, background, static_cast<double>(age[e]) / fade);
        }
        out.push_back(std::move(picture));
    }
}

// The text set in the font, one column of dots per entry (bit 6 = top row).
std::vector<std::uint8_t> textColumns(const std::string& text, std::string& missing)
{
    std::vector<std::uint8_t> columns;
    for (const std::uint32_t point : BitmapFont::codePoints(text)) {
        auto glyph = BitmapFont::glyph(point);
        if (!glyph) {
            if (point >= 0x20 && point < 0x110000 && point != 0xFFFD) {
                std::string shown;
                if (point < 0x80) {
                    shown = std::string(1, static_cast<char>(point));
                } else if (point < 0x800) {
                    shown = {static_cast<char>(0xC0 | (point >> 6)), static_cast<char>(0x80 | (point & 0x3F))};
                } else if (point < 0x10000) {
                    shown = {static_cast<char>(0xE0 | (point >> 12)), static_cast<char>(0x80 | ((point >> 6) & 0x3F)),
                             static_cast<char>(0x80 | (point & 0x3F))};
                } else {
                    shown = {static_cast<char>(0xF0 | (point >> 18)), static_cast<char>(0x80 | ((point >> 12) & 0x3F)),
                             static_cast<char>(0x80 | ((point >> 6) & 0x3F)), static_cast<char>(0x80 | (point & 0x3F))};
                }
                if (missing.find(shown) == std::string::npos)
                    missing += shown;
            } else if (missing.find("?") == std::string::npos) {
                missing += "?";
            }
            glyph = BitmapFont::box();
        }
        for (int c = 0; c < BitmapFont::GlyphWidth; ++c) {
            std::uint8_t column = 0;
            for (int r = 0; r < BitmapFont::GlyphHeight; ++r)
                if ((*glyph)[r] & (1u << (BitmapFont::GlyphWidth - 1 - c)))
                    column |= static_cast<std::uint8_t>(1u << (BitmapFont::GlyphHeight - 1 - r));
            columns.push_back(column);
        }
        columns.push_back(0);  // space between letters
    }
    return columns;
}

// The text comes in at the right edge and leaves at the left, `speed`
// columns per step, and then starts again.
void runningText(const EffectWall& wall, const EffectParameters& p, int steps, std::vector<Picture>& out,
                 std::string& refusal)
{
    const Rgbw foreground = p.colours.size() > 0 ? p.colours[0] : Rgbw{255, 255, 255, 0};
    const Rgbw background = p.colours.size() > 1 ? p.colours[1] : Rgbw{0, 0, 0, 0};
    std::string missing;
    const std::vector<std::uint8_t> columns = textColumns(p.text, missing);
    if (p.text.empty())
        refusal = "Bitte geben Sie einen Text ein.";
    else if (!missing.empty())
        refusal = "Diese Zeichen kennt die Schrift des Lauftexts nicht (als Kästchen gezeigt): " + missing;
    // Rows of the font on the wall's rows: centred, cut when the wall is lower.
    const int top = (wall.rows - BitmapFont::GlyphHeight) / 2;
    const int cycle = wall.columns + static_cast<int>(columns.size());
    const int stride = std::max(1, static_cast<int>(std::lround(p.speed)));
    for (int s = 0; s < steps; ++s) {
        Picture picture(static_cast<std::size_t>(wall.elements()), background);
        const int shift = static_cast<int>((static_cast<long long>(s) * stride) % std::max(cycle, 1));
        for (int e = 1; e <= wall.elements(); ++e) {
            const ElementPosition pos = wall.positions[e - 1];
            const int textColumn = pos.column - 1 - wall.columns + shift;
            const int fontRow = pos.row - 1 - top;
            if (textColumn < 0 || textColumn >= static_cast<int>(columns.size()) || fontRow < 0 ||
                fontRow >= BitmapFont::GlyphHeight)
                continue;
            if (columns[textColumn] & (1u << (BitmapFont::GlyphHeight - 1 - fontRow)))
                picture[e - 1] = foreground;
        }
        out.push_back(std::move(picture));
    }
}

// Frame delays become steps of load tick + hold + blend 1 lasting the delay
// to the nearest tick (at least the two ticks a step takes).
std::uint16_t holdForDelay(int delayMs)
{
    const long ticks = std::lround(delayMs / 50.0);
    return static_cast<std::uint16_t>(std::clamp<long>(ticks - 2, 0, 65535));
}

}  // namespace

EffectWall EffectWall::of(const ShowModel& model)
{
    EffectWall wall;
    wall.columns = model.WallColumns;
    wall.rows = model.WallRows;
    const int elements = model.elementsInUse();
    wall.positions.assign(model.ElementPositions.begin(), model.ElementPositions.begin() + elements);
    if (model.ElementWidth > 0 && model.ElementHeight > 0)
        wall.cellAspect = static_cast<double>(model.ElementHeight) / model.ElementWidth;
    return wall;
}

Rgbw extractWhite(Rgbw colour)
{
    const std::uint8_t common = std::min({colour.red, colour.green, colour.blue});
    return {static_cast<std::uint8_t>(colour.red - common), static_cast<std::uint8_t>(colour.green - common),
            static_cast<std::uint8_t>(colour.blue - common),
            static_cast<std::uint8_t>(std::min(255, colour.white + common))};
}

EffectResult GenerateEffect(const EffectWall& wall, const EffectParameters& p, int maxSteps, bool* truncated)
{
    EffectResult result;
    if (truncated)
        *truncated = false;
    if (wall.elements() == 0 || wall.columns <= 0 || wall.rows <= 0) {
        result.refusal = NoElementMessage;
        return result;
    }
    const int limit = std::clamp(maxSteps, 0, MaxEffectSteps);
    const int wanted = std::clamp(p.steps, 1, MaxEffectSteps);
    int steps = std::min(wanted, limit);
    result.sourceSteps = p.kind == EffectKind::Picture ? 1 : wanted;
    if (truncated && wanted > limit && p.kind != EffectKind::Picture && p.kind != EffectKind::Animation)
        *truncated = true;

    std::vector<Picture> pictures;
    std::vector<std::uint16_t> holds;  // per picture of a timed animation
    bool timed = false;                // the source gave frame delays (GIF)
    switch (p.kind) {
    case EffectKind::Rainbow:
        rainbow(wall, p, steps, pictures);
        break;
    case EffectKind::Plasma:
        plasma(wall, p, steps, pictures);
        break;
    case EffectKind::Chase:
        chase(wall, p, steps, pictures);
        break;
    case EffectKind::Twinkle:
        twinkle(wall, p, steps, pictures);
        break;
    case EffectKind::Text:
        runningText(wall, p, steps, pictures, result.refusal);
        break;
    case EffectKind::Picture: {
        if (limit < 1) {
            if (truncated)
                *truncated = true;
            break;
        }
        // Row by row: a photograph of many megapixels is mapped as it is decoded.
        PictureMapper mapper(wall, p.fit, p.gamma);
        const DecodeOutcome decoded = decodePictureRows(p.picture, mapper);
        result.refusal = decoded.refusal;
        if (decoded.refusal.empty() && decoded.frames == 1)
            pictures.push_back(mapper.lamps());
        break;
    }
    case EffectKind::Animation: {
        const DecodeOutcome decoded = decodeAnimation(p.picture, limit, [&](const RgbaView& frame, int delayMs) {
            pictures.push_back(mapPicture(frame, wall, p.fit, p.gamma));
            holds.push_back(delayMs > 0 ? holdForDelay(delayMs) : p.hold);
            timed = timed || delayMs > 0;
            return true;
        });
        result.refusal = decoded.refusal;
        result.sourceSteps = std::max(decoded.available, static_cast<int>(pictures.size()));
        if (truncated && decoded.more)
            *truncated = true;
        break;
    }
    }
    if (!result.refusal.empty() && p.kind != EffectKind::Text) {
        pictures.clear();
        return result;
    }
    const bool gifTimes = timed && pictures.size() == holds.size();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        EffectStep step;
        step.lamps = std::move(pictures[i]);
        if (p.extractWhite)
            for (Rgbw& lamp : step.lamps)
                lamp = extractWhite(lamp);
        step.hold = gifTimes ? holds[i] : p.hold;
        step.blend = gifTimes ? 1 : p.blend;
        result.steps.push_back(std::move(step));
    }
    return result;
}

ApplyOutcome ApplyEffect(ShowModel& model, UserInteraction& user, const std::vector<EffectStep>& steps, ApplyMode mode,
                         bool moreThanGiven)
{
    ApplyOutcome outcome;
    if (model.hasState(StateFlag::SequencePlaying)) {
        user.beep();
        user.messageBox(StopFirstMessage, "", MessageButtons::Ok, MessageIcon::None);
        return outcome;
    }
    const int elements = model.elementsInUse();
    if (elements == 0) {
        user.messageBox(NoElementMessage, "", MessageButtons::Ok, MessageIcon::None);
        return outcome;
    }
    const int start = mode == ApplyMode::Replace ? 0 : model.StepCount;
    const int room = std::max(0, MaxEffectSteps - start);
    const int taken = std::min(room, static_cast<int>(steps.size()));
    outcome.limited = moreThanGiven || taken < static_cast<int>(steps.size());
    if (outcome.limited) {
        user.beep();
        user.messageBox(StepLimitMessage, "", MessageButtons::Ok, MessageIcon::None);
    }
    if (taken == 0 && mode == ApplyMode::Append) {
        outcome.applied = true;  // nothing fitted; the sequence is as it was
        return outcome;
    }
    if (taken == 0)
        return outcome;
    for (int i = 0; i < taken; ++i) {
        const int step = start + 1 + i;
        const EffectStep& source = steps[static_cast<std::size_t>(i)];
        for (int element = 1; element <= elements; ++element) {
            const Rgbw lamp = element <= static_cast<int>(source.lamps.size()) ? source.lamps[element - 1] : Rgbw{};
            model.stepColour(step, element, Red) = lamp.red;
            model.stepColour(step, element, Green) = lamp.green;
            model.stepColour(step, element, Blue) = lamp.blue;
            model.stepColour(step, element, White) = lamp.white;
        }
        model.holdTime(step) = source.hold;
        model.blendTime(step) = source.blend;
    }
    markStepsRecorded(model);
    model.StepCount = static_cast<std::uint8_t>(start + taken);
    model.CurrentStep = model.StepCount;
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.colour(plane, element) = model.stepColour(model.CurrentStep, element, plane);
    outcome.applied = true;
    outcome.stepsTaken = taken;
    return outcome;
}

}  // namespace tinctara
