// fMouseWatch.h: the figure window, the program's only window.
//
// A frameless, topmost window showing the face, cut to its outline. Its timer
// turns the eyes towards the pointer; a left press drags it; a double-click
// stores its position and ends the program.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/contract/form.h"
#include "shaper/cTrimmer.h"

class fMouseWatch final : public platform::FormEvents {
public:
    fMouseWatch() = default;
    fMouseWatch(const fMouseWatch&) = delete;
    fMouseWatch& operator=(const fMouseWatch&) = delete;
    ~fMouseWatch();

    // The program's figure window, created on first use.
    static fMouseWatch& Default();

    // The window; its first use loads it, which runs Form_Load.
    platform::Form& Me();
    // Destroys the window and its shaper; the next use loads it afresh.
    void Unload();
    // The fixed properties of the figure window, showing `picture`.
    static platform::FormDefinition Definition(const platform::Image& picture);

    void Form_Load() override;
    void Form_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
    void Form_DblClick() override;
    void tmr_Timer() override;

    std::unique_ptr<cTrimmer> Trimmer;
    platform::POINTAPI CursorPos{};
    platform::RECT WindowRect{};
    std::int32_t LeftEyeX = 0;
    std::int32_t LeftEyeY = 0;
    std::int32_t RightEyeX = 0;
    std::int32_t RightEyeY = 0;
    double LeftDist = 0;
    double RightDist = 0;
    double LeftDirY = 0;
    double LeftDirX = 0;
    double RightDirY = 0;
    double RightDirX = 0;

private:
    std::unique_ptr<platform::Form> window_;
};
