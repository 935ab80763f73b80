#pragma once
// Lists of 16 x 16 pictures used by index, and the program's own pictures.

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace vinta {

class Canvas;

class ImageList {
public:
    static constexpr int kSize = 16;
    ImageList() = default;
    explicit ImageList(std::vector<QPixmap> images) : images_(std::move(images)) {}
    int Count() const { return static_cast<int>(images_.size()); }
    int Width() const { return kSize; }
    // An index outside the list draws nothing.
    void Draw(Canvas& canvas, int x, int y, int index) const;
    const QPixmap& Image(int index) const { return images_.at(static_cast<size_t>(index)); }
    QIcon Icon(int index) const { return QIcon(Image(index)); }

private:
    std::vector<QPixmap> images_;
};

// A transparent size×size picture at the screen's density, painted in
// size×size units: pictures stay sharp on a scaled desktop.
QPixmap BlankPicture(int size);

// ImageList1: menu and toolbar pictures 0..14 (new, open, save, print, delete,
// insert, resources, level up, level down, prior, this month, next, month
// view, year view, edit).
ImageList MakeCommandImages();
// ImgRes: person figures for member, leader, manager.
ImageList MakeResourceImages();
// ImgSch: 0 box with minus, 1 box with plus, 2..9 tree connectors.
ImageList MakeOutlineImages();
// ImgTask: 0 letter P, 1 letter T, 2..4 person figures, 5 note sheet.
ImageList MakeTaskImages();
// ImgInfo: signal lamps for working states 0..5.
ImageList MakeStateImages();

// 16 x 16 pictures for the toolbar: a curved arrow back (undo) or forward.
QIcon HistoryIcon(bool redo);

}  // namespace vinta
