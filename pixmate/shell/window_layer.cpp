#include "pixmate/shell/window_layer.h"

#include <utility>

namespace pixmate::ui {

void Control::SetLeft(std::int32_t left) {
    Rect r = Bounds();
    r.left = left;
    SetBounds(r);
}

void Control::SetTop(std::int32_t top) {
    Rect r = Bounds();
    r.top = top;
    SetBounds(r);
}

void Control::SetWidth(std::int32_t width) {
    Rect r = Bounds();
    r.width = width;
    SetBounds(r);
}

void Control::SetHeight(std::int32_t height) {
    Rect r = Bounds();
    r.height = height;
    SetBounds(r);
}

void Canvas::SetPicture(std::span<const std::uint8_t> fileBytes) {
    surface_.SetPicture(fileBytes);
    Redraw();
}

void Canvas::SetPicture(Picture picture) {
    surface_.SetPicture(std::move(picture));
    Redraw();
}

void Canvas::Clear() {
    surface_.Clear();
    Redraw();
}

void Canvas::DrawRectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    surface_.DrawRectangle(x1, y1, x2, y2);
    Redraw();
}

void Canvas::DrawImage(std::span<const std::uint8_t> fileBytes, std::int32_t x, std::int32_t y) {
    surface_.DrawImage(fileBytes, x, y);
    Redraw();
}

void Canvas::DrawPicture(const Picture& picture, std::int32_t x, std::int32_t y) {
    surface_.DrawPicture(picture, x, y);
    Redraw();
}

}  // namespace pixmate::ui
