// The window tree: repaint order, background fills, geometry, resizing, destruction.
#include <limits>

#include "gui_fixture.h"

namespace qv::testing {
namespace {

const Pixel kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kBlack{0, 0, 0};

TEST_F(GuiTest, RepaintFillsBackgroundsAndPaintsChildrenInCreationOrder) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  da->SetColorBG(rgb(255, 0, 0));
  // a below b where they overlap; c has no background of its own.
  auto a = makeProbe(da, "a", 10, 10, 40, 40, rgb(0, 0, 255));
  auto b = makeProbe(da, "b", 30, 30, 40, 40, rgb(0, 255, 0));
  auto c = makeProbe(da, "c", 100, 10, 40, 40, -255);
  dispatchPending();
  log.clear();

  da->InvalidateRect();
  dispatchPending();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].window, "a");
  EXPECT_EQ(log[1].window, "b");
  EXPECT_EQ(log[2].window, "c");

  EXPECT_EQ(pixelOf(*da, 5, 5), kRed);
  EXPECT_EQ(pixelOf(*a, 5, 5), kBlue);
  EXPECT_EQ(pixelOf(*a, 35, 35), kGreen) << "the later sibling lies above";
  EXPECT_EQ(pixelOf(*b, 39, 39), kGreen);
  EXPECT_EQ(pixelOf(*c, 20, 20), kRed) << "-255: the parent shows through";
  EXPECT_EQ(c->SetColorBG(), -255);
}

TEST_F(GuiTest, InvalidatingTheParentErasesStaleDrawingOfATransparentChild) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  da->SetColorBG(rgb(0, 0, 255));
  auto p = makeProbe(da, "p", 20, 20, 30, 30, -255);
  p->squareColour = rgb(0, 0, 0);
  dispatchPending();
  ASSERT_EQ(pixelOf(*p, 1, 1), kBlack);

  p->squareColour = 0;
  p->InvalidateRect();  // its own repaint fills nothing: the old square stays
  dispatchPending();
  EXPECT_EQ(pixelOf(*p, 1, 1), kBlack);

  da->InvalidateRect();
  dispatchPending();
  EXPECT_EQ(pixelOf(*p, 1, 1), kBlue);
}

TEST_F(GuiTest, DefaultsAndTreeQueries) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  ASSERT_TRUE(da);
  EXPECT_TRUE(da->IsDerivedFrom("qvpstatic"));
  EXPECT_EQ(da->SetParent(), dlg);
  EXPECT_EQ(da->CurrentSize(), (Size{200, 100}));
  dispatchPending();
  // Light grey, and SetColorBG() answers it as a packed RGB colour.
  EXPECT_EQ(da->SetColorBG(), rgb(192, 192, 192));
  EXPECT_EQ(pixelOf(*da, 50, 50), (Pixel{192, 192, 192}));

  auto a = makeProbe(da, "a", 0, 0, 10, 10);
  auto b = makeProbe(da, "b", 0, 0, 10, 10);
  auto kids = da->ChildList();
  ASSERT_EQ(kids.size(), 2u);
  EXPECT_EQ(kids[0], a);
  EXPECT_EQ(kids[1], b);
  EXPECT_EQ(da->ChildListValue().length(), 2u);
  EXPECT_EQ(da->SetColorBG(rgb(1, 2, 3)), rgb(192, 192, 192)) << "returns the previous one";
}

TEST_F(GuiTest, ChildPositionsAreFromTheParentsLowerLeftCorner) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  auto outer = makeProbe(da, "outer", 20, 10, 100, 60);
  auto inner = makeProbe(outer, "inner", 5, 7, 10, 10);
  EXPECT_EQ(outer->deviceRect(), (DeviceRect{20, 30, 100, 60}));
  EXPECT_EQ(inner->deviceRect(), (DeviceRect{25, 73, 10, 10}));
  EXPECT_EQ(inner->toLocal(Point{25, 17}), (Point{0, 0}));
}

TEST_F(GuiTest, WildGeometryIsBoundedNotOverflowed) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  const double inf = std::numeric_limits<double>::infinity();
  auto p = New<Probe>(da, nullptr, Value::array({-inf, 1e300}), Value::array({inf, std::nan("")}));
  p->Create();
  p->SetColorBG(rgb(0, 0, 255));
  EXPECT_EQ(p->CurrentSize().h, 0);
  EXPECT_LE(p->CurrentSize().w, 1 << 15);
  p->SetPos(Point{1e18, -1e18});
  p->SetSize(Size{-5, 1e18});
  dispatchPending();  // draws nothing outside the buffer, overflows nothing
  EXPECT_EQ(p->CurrentSize().w, 0);
  EXPECT_TRUE(p->visibleRect().empty());
  dlg->SetSize(Size{0, 0});
  EXPECT_EQ(dlg->CurrentSize(), (Size{1, 1})) << "a native window keeps at least one pixel";
  dispatchPending();
}

TEST_F(GuiTest, ChildrenAreClippedToTheirParent) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  da->SetColorBG(rgb(255, 0, 0));
  auto outer = makeProbe(da, "outer", 10, 10, 20, 20, rgb(0, 0, 255));
  auto inner = makeProbe(outer, "inner", 10, 10, 50, 50, rgb(0, 255, 0));
  dispatchPending();
  EXPECT_EQ(pixelOf(*inner, 5, 5), kGreen);
  EXPECT_EQ(pixelOf(*da, 35, 35), kRed) << "the part outside its parent is not drawn";
  EXPECT_EQ(inner->visibleRect(), (DeviceRect{20, 70, 10, 10}));
}

TEST_F(GuiTest, SetSizePaintsOnceAtOnceAndRepaintsTheOldArea) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  da->SetColorBG(rgb(255, 0, 0));
  auto p = makeProbe(da, "p", 10, 10, 60, 60, rgb(0, 0, 255));
  dispatchPending();
  ASSERT_EQ(pixelOf(*da, 60, 60), kBlue);

  int before = p->paints;
  EXPECT_TRUE(p->SetSize(Size{20, 20}));
  EXPECT_EQ(p->paints, before + 1) << "one Paint inside SetSize";
  EXPECT_EQ(p->CurrentSize(), (Size{20, 20}));
  dispatchPending();
  EXPECT_EQ(pixelOf(*da, 60, 60), kRed) << "the area the control left is repainted";
  EXPECT_EQ(pixelOf(*da, 15, 15), kBlue);

  before = p->paints;
  p->SetSize(Size{20, 20});
  EXPECT_EQ(p->paints, before) << "the same size changes nothing";
}

TEST_F(GuiTest, HiddenChildrenNeitherPaintNorTakeInput) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  da->SetColorBG(rgb(255, 0, 0));
  auto p = makeProbe(da, "p", 10, 10, 30, 30, rgb(0, 0, 255));
  dispatchPending();
  p->Hide();
  dispatchPending();
  EXPECT_EQ(pixelOf(*da, 20, 20), kRed);
  EXPECT_EQ(dlg->hitTest(Point{20, 20}), da.get());
  p->Show();
  dispatchPending();
  EXPECT_EQ(pixelOf(*da, 20, 20), kBlue);
  EXPECT_EQ(dlg->hitTest(Point{20, 20}), p.get());
}

TEST_F(GuiTest, DestroyTakesTheChildrenAndLeavesTheDeviceSafe) {
  auto dlg = makeDialog();
  auto da = dlg->DrawingArea();
  auto p = makeProbe(da, "p", 10, 10, 30, 30);
  DevicePtr device = p->WinDevice();
  auto ps = p->presSpace();
  ASSERT_NE(device->surface(), nullptr);
  ASSERT_EQ(topLevelWindows().size(), 1u);

  dlg->Destroy();
  EXPECT_TRUE(p->isDestroyed());
  EXPECT_TRUE(da->isDestroyed());
  EXPECT_EQ(device->surface(), nullptr);
  EXPECT_EQ(ps->beginDrawing(), nullptr);
  EXPECT_TRUE(topLevelWindows().empty());
  EXPECT_EQ(hb->info(*dlg), nullptr) << "the native window is closed";
  dlg->Destroy();  // a second call does nothing

  // Events queued for the dead windows are dropped, not delivered.
  p->InvalidateRect();
  postEvent(event::kLbDown, Value::array({1, 1}), Value(), p);
  EXPECT_FALSE(eventsPending());

  // The device outlives its window.
  Window* raw = p.get();
  (void)raw;
  p.reset();
  da.reset();
  dlg.reset();
  EXPECT_EQ(device->surface(), nullptr);
  EXPECT_TRUE(device->deviceRect().empty());
}

TEST_F(GuiTest, AStaticWithoutParentIsAnErrorNotACrash) {
  std::vector<std::string> errors;
  Value previous = ERRORBLOCK(Value::callback([&](std::vector<Value>& args) {
    if (auto e = args.at(0).as<Error>()) errors.push_back(e->description.text());
    return Value(false);
  }));
  auto s = New<QvpStatic>(nullptr, nullptr, Value::array({0, 0}), Value::array({10, 10}));
  s->Create();
  ERRORBLOCK(previous);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("parent"), std::string::npos);
  EXPECT_FALSE(s->isCreated());
  EXPECT_EQ(s->WinDevice()->surface(), nullptr);
}

TEST_F(GuiTest, DialogOpensANativeWindowAndShowsOnlyWhenAsked) {
  auto dlg = New<QvpDialog>(nullptr, nullptr, Value::array({100, 50}), Value::array({300, 200}));
  dlg->title = "A Test In Normal Qv";
  dlg->Create();
  const auto* info = hb->info(*dlg);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->title, "A Test In Normal Qv");
  // y up from the screen's lower-left corner: 1024 - 50 - 200.
  EXPECT_EQ(info->screenRect, (DeviceRect{100, 774, 300, 200}));
  EXPECT_FALSE(info->shown);
  EXPECT_EQ(cairo_image_surface_get_width(dlg->backBuffer()), 300);
  EXPECT_EQ(cairo_image_surface_get_format(dlg->backBuffer()), CAIRO_FORMAT_ARGB32);
  dlg->Show();
  EXPECT_TRUE(hb->info(*dlg)->shown);
  dlg->Hide();
  EXPECT_FALSE(hb->info(*dlg)->shown);
}

TEST_F(GuiTest, OnlyChangedRectanglesArePresented) {
  auto dlg = makeDialog(200, 100);
  auto da = dlg->DrawingArea();
  auto p = makeProbe(da, "p", 10, 10, 30, 20, rgb(0, 0, 255));
  dispatchPending();
  hb->clearPresented();
  p->InvalidateRect();
  dispatchPending();
  ASSERT_EQ(hb->presented().size(), 1u);
  EXPECT_EQ(hb->presented()[0].rect, p->deviceRect());
  hb->clearPresented();
  dispatchPending();
  EXPECT_TRUE(hb->presented().empty()) << "nothing changed, nothing presented";
}

TEST_F(GuiTest, ResizingADialogRemakesItsBufferAndDrawingArea) {
  auto dlg = makeDialog(200, 100);
  dlg->DrawingArea()->SetColorBG(rgb(0, 255, 0));
  dlg->SetSize(Size{300, 150});
  dispatchPending();
  EXPECT_EQ(cairo_image_surface_get_width(dlg->backBuffer()), 300);
  EXPECT_EQ(dlg->DrawingArea()->CurrentSize(), (Size{300, 150}));
  EXPECT_EQ(pixelOf(*dlg->DrawingArea(), 290, 140), kGreen);
  EXPECT_EQ(hb->info(*dlg)->screenRect.w, 300);
}

}  // namespace
}  // namespace qv::testing

namespace qv::testing {
namespace {

TEST_F(GuiTest, TheBackBufferIsWrittenAsPng) {
  auto dlg = makeDialog(120, 80);
  dlg->DrawingArea()->SetColorBG(rgb(0, 0, 255));
  dispatchPending();
  std::string path = ::testing::TempDir() + "gui_shot.png";
  std::string why;
  ASSERT_TRUE(writeWindowPng(*dlg->DrawingArea(), path, &why)) << why;
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png), 120);
  EXPECT_EQ(cairo_image_surface_get_height(png), 80);
  auto px = *reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(png));
  EXPECT_EQ(px & 0xFFFFFF, 0x0000FFu);
  cairo_surface_destroy(png);

  EXPECT_FALSE(writeWindowPng(*dlg, "/nonexistent-dir/x.png", &why));
  EXPECT_NE(why.find("/nonexistent-dir/x.png"), std::string::npos);
  dlg->Destroy();
  EXPECT_FALSE(writeWindowPng(*dlg, path, &why));
}

}  // namespace
}  // namespace qv::testing
