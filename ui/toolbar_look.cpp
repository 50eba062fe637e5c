#include "ui/toolbar_look.h"

#include "ui/main_layout.h"

const ToolbarButtonSpec kToolbarButtons[kToolbarButtonCount] = {
    {ID_RECORD, 8, "录制", 1},
    {ID_STOP, 66, "停止", 1},
    {ID_GENERATE, 124, "生成", 0},
    {ID_SETTINGS, 182, "设置", 0},
};

int32_t ToolbarButtonOf(int32_t id)
{
    for (int32_t i = 0; i < kToolbarButtonCount; i++)
        if (kToolbarButtons[i].id == id)
            return i;
    return -1;
}

ButtonEnables ButtonStatesFor(int32_t recording, int32_t stopRequested, int32_t frameCount)
{
    if (recording)
        return {{0, stopRequested ? 0 : 1, 0, 0}};
    return {{1, 0, frameCount >= 1 ? 1 : 0, 1}};
}

ButtonLookKind ChooseButtonLook(int32_t hovered, int32_t pressed, int32_t disabled)
{
    if (hovered && !pressed && !disabled)
        return kLookHovered;
    if (disabled)
        return kLookDisabled;
    if (pressed)
        return kLookPressed;
    return kLookNormal;
}

ButtonLook ButtonLookOf(int32_t button, ButtonLookKind kind)
{
    const uint32_t ink = RgbColour(55, 65, 81);
    const uint32_t edge = RgbColour(209, 213, 219);
    ButtonLook look = {};
    switch (kind) {
    case kLookHovered: look = {RgbColour(243, 244, 246), edge, ink, 0, 0}; break;
    case kLookDisabled:
        look = {RgbColour(250, 250, 250), RgbColour(229, 231, 235), RgbColour(203, 208, 215),
                RgbColour(229, 231, 235), 0};
        break;
    case kLookPressed: look = {RgbColour(229, 231, 235), edge, ink, 0, 0}; break;
    case kLookNormal: look = {RgbColour(255, 255, 255), edge, ink, 0, 0}; break;
    }
    if (button == kButtonRecord || button == kButtonStop) {
        look.hasDot = 1;
        if (kind != kLookDisabled)
            look.dot = button == kButtonRecord ? RgbColour(229, 72, 77) : RgbColour(156, 163, 175);
    }
    return look;
}

ButtonContent ButtonContentIn(int32_t button, int32_t left, int32_t top, int32_t, int32_t bottom)
{
    const int32_t c = (top + bottom) / 2;
    ButtonContent content = {left + 10, c - 4, left + 18, c + 4, left + 26, 1};
    if (button == kButtonRecord || button == kButtonStop)
        content.centred = 0;
    return content;
}

int32_t HoverOnMouseMove(ButtonHover* hover, void* button, int32_t canTrack)
{
    int32_t actions = 0;
    if (hover->hovered != button) {
        hover->hovered = button;
        actions |= kHoverRepaint;
    }
    if (!hover->leaveTracking && canTrack) {
        hover->leaveTracking = 1;
        actions |= kHoverTrackLeave;
    }
    return actions;
}

int32_t HoverOnMouseLeave(ButtonHover* hover, void* button)
{
    hover->leaveTracking = 0;
    if (hover->hovered != button)
        return 0;
    hover->hovered = nullptr;
    return kHoverRepaint;
}
