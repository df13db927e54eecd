// The falling particles, the place-name caption and the shading of listed
// backgrounds: effects that run beside the story rather than holding it.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/script/interpreter.h"
#include "formats/sjis.h"

namespace script {

namespace {

constexpr int kParticleTimer = 8;
constexpr uint32_t kParticleStepMs = 32;
constexpr int kParticleImageBase = 3;
constexpr uint32_t kCaptionFadeMs = 1000;
constexpr uint32_t kCaptionHoldEndMs = 3000;
constexpr uint32_t kCaptionEndMs = 4000;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

}  // namespace

void Interpreter::StartParticles(int32_t maximum, int32_t direction, int32_t speed,
                                 int32_t interval) {
    ParticleState& p = state.particles;
    if (p.active) return;
    p.maximum = std::min<int32_t>(maximum, static_cast<int32_t>(p.particles.size()));
    engine_.timers.NoteTimer(kParticleTimer);
    p.active = true;
    p.particles = {};
    p.direction = direction;
    p.speed = speed;
    p.interval = interval % 64;
    if (p.interval <= 0) p.interval = 1;
    p.steps = 0;
    p.spawnTries = 0;
    engine_.slots.LoadImageSlot(3, ImageLocation(), "GameData\\system\\Tilva00.rbp",
                                gfx::Keying::kKeyed);
    engine_.slots.LoadImageSlot(4, ImageLocation(), "GameData\\system\\Tilva01.rbp",
                                gfx::Keying::kKeyed);
    engine_.slots.LoadImageSlot(5, ImageLocation(), "GameData\\system\\Tilva02.rbp",
                                gfx::Keying::kKeyed);
}

void Interpreter::StepParticles() {
    ParticleState& p = state.particles;
    if (!p.active || p.maximum <= 0) return;
    uint32_t steps = engine_.timers.TimerElapsed(kParticleTimer) / kParticleStepMs + 1;
    double angle = Radians((p.direction + 270) % 360);
    int32_t dx = static_cast<int32_t>(p.speed * std::cos(angle));
    int32_t dy = static_cast<int32_t>(p.speed * std::sin(angle));
    for (uint32_t step = 0; step < steps; ++step) {
        ++p.steps;
        if (p.steps % static_cast<uint32_t>(p.interval) == 0 && ++p.spawnTries % 5 == 0) {
            int activeCount = 0;
            for (const Particle& particle : p.particles) activeCount += particle.active;
            if (activeCount < p.maximum) {
                for (size_t i = 0; i < p.particles.size(); ++i) {
                    Particle& particle = p.particles[i];
                    if (particle.active) continue;
                    particle.active = true;
                    particle.kind = static_cast<int32_t>(Random() % 3);
                    particle.phase = 0;
                    particle.swingSpeed = static_cast<int32_t>(Random() % 12) * 256;
                    if (p.direction == 180 || Random() % 2 == 0) {
                        particle.x = static_cast<int32_t>(Random() % 200) * 4096;
                        particle.y = -16384;
                    } else {
                        particle.x = -16384;
                        particle.y = static_cast<int32_t>(Random() % 200) * 3072;
                    }
                    particle.fall = static_cast<int32_t>(Random() % 3) * 6 + 8;
                    particle.swingRadius = static_cast<int32_t>(Random() % 3) * 15360 + 28672;
                    static constexpr int32_t kCells[3] = {16, 24, 32};
                    int32_t cellSize = kCells[particle.kind];
                    int sprite = kParticleSpriteBase + static_cast<int>(i);
                    int image = kParticleImageBase + particle.kind;
                    engine_.slots.CreateSprite(sprite, image, 0, 0, cellSize, cellSize,
                                               particle.x / 1024, particle.y / 1024, cellSize / 2,
                                               cellSize / 2, 6);
                    if (core::Sprite* s = engine_.slots.SpriteAt(sprite)) {
                        for (int cell = 0; cell < 4; ++cell) {
                            s->DefineCell(cell, (cell + 1) % 4, 200, image, cell * cellSize, 0,
                                          cellSize, cellSize, 0, 0, cell == 0 ? 0 : -1);
                        }
                        s->StartAnimation(0, Now());
                    }
                    break;
                }
            }
        }
        for (size_t i = 0; i < p.particles.size(); ++i) {
            Particle& particle = p.particles[i];
            if (!particle.active) continue;
            int sprite = kParticleSpriteBase + static_cast<int>(i);
            particle.x += dx;
            particle.y += dy * particle.fall;
            particle.phase = (particle.phase + particle.swingSpeed) % (360 * 1024);
            int32_t swing = static_cast<int32_t>(particle.swingRadius *
                                                 std::cos(Radians(particle.phase / 1024.0)));
            if (particle.y / 1024 >= 600 || particle.x / 1024 >= 832 || particle.x / 1024 < -31) {
                engine_.slots.DeleteSprite(sprite);
                particle = Particle{};
            } else if (core::Sprite* s = engine_.slots.SpriteAt(sprite)) {
                s->SetPosition((particle.x + swing) / 1024, particle.y / 1024);
            }
        }
    }
    engine_.timers.NoteTimer(kParticleTimer);
}

void Interpreter::StopParticles() {
    ParticleState& p = state.particles;
    for (size_t i = 0; i < p.particles.size(); ++i) {
        if (p.particles[i].active)
            engine_.slots.DeleteSprite(kParticleSpriteBase + static_cast<int>(i));
        p.particles[i] = Particle{};
    }
    bool hadImages = p.maximum > 0;
    p.active = false;
    p.maximum = 0;
    if (hadImages) {
        for (int image = 3; image <= 5; ++image) engine_.slots.FreeImageSlot(image);
    }
}

void Interpreter::ShowPlaceName(std::string_view backgroundPath) {
    engine_.slots.DeleteSprite(kCaptionSprite);
    state.caption.active = false;
    if (!engine_.settings.backgroundNameDisplay) return;
    for (const PlaceName& place : tables.placeNames) {
        if (place.index < 0) break;
        if (!formats::SjisEqualNoCase(place.backgroundPath, backgroundPath)) continue;
        if (place.index == state.caption.index) return;  // the same place: no new caption
        engine_.slots.CreateSprite(kCaptionSprite, kCaptionImage, (place.index % 4) * 192,
                                   (place.index / 4) * 32, 192, 32, 576, 24, 0, 0, 8);
        if (core::Sprite* caption = engine_.slots.SpriteAt(kCaptionSprite)) caption->SetAlpha(0);
        state.caption.stage = 0;
        state.caption.index = place.index;
        state.caption.active = true;
        state.caption.start = Now();
        return;
    }
}

void Interpreter::StepCaption() {
    CaptionState& c = state.caption;
    core::Sprite* caption = engine_.slots.SpriteAt(kCaptionSprite);
    if (!c.active || caption == nullptr) return;
    uint32_t t = Now() - c.start;
    switch (c.stage) {
        case 0:
            if (t < kCaptionFadeMs) {
                caption->SetAlpha(static_cast<int32_t>(t * 256 / kCaptionFadeMs));
            } else {
                caption->SetAlpha(256);
                c.stage = 1;
            }
            break;
        case 1:
            if (t >= kCaptionHoldEndMs) c.stage = 2;
            break;
        default:
            if (t < kCaptionEndMs) {
                caption->SetAlpha(
                    256 - static_cast<int32_t>((t - kCaptionHoldEndMs) * 256 / kCaptionFadeMs));
            } else {
                engine_.slots.DeleteSprite(kCaptionSprite);
                c.active = false;
            }
            break;
    }
}

void Interpreter::RemoveCaption() {
    engine_.slots.DeleteSprite(kCaptionSprite);
    state.caption.active = false;
    state.caption.index = -1;
}

void Interpreter::ApplyParticleSetting() {
    if (!state.particles.active) return;
    if (engine_.settings.tilvaMode) {
        if (state.particles.maximum > 0) return;
        state.particles.active = false;
        StartParticles(32, 180, 256, 4);
    } else {
        StopParticles();
        state.particles.active = true;  // the scene still asks for them
    }
}

void Interpreter::ApplyPlaceNameSetting() {
    if (!engine_.settings.backgroundNameDisplay && state.caption.active) {
        engine_.slots.DeleteSprite(kCaptionSprite);
        state.caption.active = false;
    }
}

void Interpreter::ApplyMannerMode() {
    // Mode 0 brings a shaded background back to full brightness.
    ShadeBackground(true);
}

void Interpreter::ShadeBackground(bool evenNormal) {
    if (engine_.flow.gameState != core::kStateScript) return;
    int32_t mode = engine_.settings.dispFreeMode;
    core::Sprite* back = engine_.slots.SpriteAt(kBackgroundSlot);
    if ((mode == 0 && !evenNormal) || back == nullptr) return;
    const std::string& path = state.shownPaths[kBackgroundSlot - kCharacterSlot];
    for (const std::string& listed : tables.shadedBackgrounds) {
        if (listed.empty()) break;
        if (formats::SjisEqualNoCase(listed, path)) {
            static constexpr int32_t kBrightness[3] = {256, 64, 0};
            back->SetBrightness(kBrightness[std::clamp(mode, 0, 2)]);
            return;
        }
    }
}

}  // namespace script
