// The hotspot list beside the picture and the status bar below it.
#include "viewer.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <set>

namespace tavoview {

namespace {

// Rows changed by the viewer itself (the hover row) are not the user's
// selection and change no marks.
bool g_selectingByHover = false;

void SetCell(HWND list, int row, int column, const char* text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  if (column == 0)
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  else
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void SetRowsSelected(HWND list, int row, bool selected) {
  LVITEMA item{};
  // Only one row can have the focus: it goes with a single row.
  UINT focus = selected && row >= 0 ? LVIS_FOCUSED : 0;
  item.stateMask = LVIS_SELECTED | focus;
  item.state = (selected ? LVIS_SELECTED : 0) | focus;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::string RowName(HWND list, int row) {
  char name[40] = "";
  LVITEMA item{};
  item.iSubItem = 1;
  item.pszText = name;
  item.cchTextMax = sizeof name;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return name;
}

const char* KindName(ImgStruct* record) {
  return record->DRFColorType == 5   ? "DRF, four colours over a TIFF"
         : record->DRFColorType == 6 ? "DRF, 240 colours"
         : record->DRFColorType == 7 ? "DRF, 64 grey levels"
                                     : "DRF, four colours";
}

} // namespace

HWND CreateHotspotList(HWND frame) {
  HWND list = CreateWindowExA(
      WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0,
      0, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdHotspotList)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const struct {
    const char* title;
    int width;
  } columns[] = {{"No.", 36}, {"Name", 70}, {"Text", 130}, {"Kind", 36}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(columns[i].title);
    column.cx = columns[i].width;
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void FillHotspotList(HWND list, ImgStruct* record) {
  g_selectingByHover = true;
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  LONG count = record ? TAVIMG_GetHotspotCount(record) : 0;
  for (LONG i = 0; i < count; ++i) {
    HotspotDataRecord data{};
    if (!TAVIMG_GetHotspotData(record, i, &data))
      continue;
    char number[16], kind[16];
    std::snprintf(number, sizeof number, "%ld", static_cast<long>(data.Number));
    std::snprintf(kind, sizeof kind, "%ld", static_cast<long>(data.Kind));
    int row = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    SetCell(list, row, 0, number);
    SetCell(list, row, 1, data.Name);
    SetCell(list, row, 2, data.Text);
    SetCell(list, row, 3, kind);
  }
  g_selectingByHover = false;
}

void SelectHoverRow(HWND list, LONG hotspot) {
  if (hotspot < 0 || hotspot >= SendMessageA(list, LVM_GETITEMCOUNT, 0, 0))
    return;
  g_selectingByHover = true;
  SetRowsSelected(list, -1, false);
  SetRowsSelected(list, hotspot, true);
  SendMessageA(list, LVM_ENSUREVISIBLE, hotspot, FALSE);
  g_selectingByHover = false;
}

bool IsUserSelectionChange() {
  return !g_selectingByHover;
}

void SelectAllRows(HWND list) {
  g_selectingByHover = true;
  SetRowsSelected(list, -1, true);
  g_selectingByHover = false;
}

void MarkSelectedRows(HWND list, const Picture& picture) {
  ImgStruct* record = picture.record;
  if (!record)
    return;
  // Marks go by name (several entries may share one): a name is marked
  // when any of its rows is selected. Unmarking one name takes every frame
  // off the screen, so a change starts from no marks.
  std::set<std::string> selected, marked;
  int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    if (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)
      selected.insert(RowName(list, row));
  }
  LONG count = TAVIMG_GetHotspotCount(record);
  for (LONG i = 0; i < count; ++i) {
    const HotspotEntry& entry = record->Hotspots[i];
    if (entry.HotspotState & TAVIMG_MARKED_BIT)
      marked.insert(std::string(entry.HotspotName, strnlen(entry.HotspotName, sizeof entry.HotspotName)));
  }
  if (selected == marked)
    return;
  TAVIMG_SetAllHotspots(picture.window, 0, record);
  for (const std::string& name : selected)
    TAVIMG_SetHotspot(picture.window, name.c_str(), 1, record);
}

HWND CreateStatusBar(HWND frame) {
  return CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdStatusBar)), GetModuleHandleA(nullptr),
                         nullptr);
}

void LayoutStatusBar(HWND status) {
  SendMessageA(status, WM_SIZE, 0, 0);
  RECT r{};
  GetClientRect(status, &r);
  int edges[3] = {r.right - 380, r.right - 110, -1};
  if (edges[0] < 100)
    edges[0] = 100;
  if (edges[1] < edges[0] + 10)
    edges[1] = edges[0] + 10;
  SendMessageA(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

std::string HotspotText(ImgStruct* record, LONG number) {
  HotspotDataRecord data{};
  if (!record || !TAVIMG_GetHotspotData(record, number, &data))
    return "";
  return std::string(data.Name) + ": " + data.Text;
}

void ShowHotspotStatus(HWND status, ImgStruct* record) {
  std::string text = record ? HotspotText(record, record->HoverHotspot) : "";
  SendMessageA(status, SB_SETTEXTA, kStatusHotspot, reinterpret_cast<LPARAM>(text.c_str()));
}

void ShowPictureStatus(HWND status, const Picture& picture) {
  char text[128] = "";
  ImgStruct* record = picture.record;
  if (record) {
    LONGLONG size = picture.isTiff ? TAVIMG_GetTIFFSize(record) : TAVIMG_GetDRFSize(record);
    std::snprintf(text, sizeof text, "%s, %ld x %ld", picture.isTiff ? "TIFF, bilevel" : KindName(record),
                  static_cast<long>(TAVIMG_SIZE_WIDTH(size)), static_cast<long>(TAVIMG_SIZE_HEIGHT(size)));
  }
  SendMessageA(status, SB_SETTEXTA, kStatusPicture, reinterpret_cast<LPARAM>(text));
  char zoom[64] = "";
  if (record) {
    TavDoublePair factor = record->Zoomed ? TAVIMG_GetZoomFactor(record) : TAVIMG_GetBildFactor(record);
    std::snprintf(zoom, sizeof zoom, "Zoom %.2f", factor.x);
  }
  SendMessageA(status, SB_SETTEXTA, kStatusZoom, reinterpret_cast<LPARAM>(zoom));
}

} // namespace tavoview
