// The hotspot list beside the picture and the status bar below it.
#include "viewer.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace tavoview {

namespace {

const char* const kTitles[] = {"No.", "Name", "Text", "Kind"};

// Rows changed by the viewer itself (the hover row) are not the user's
// selection and change no marks.
bool g_selectingByHover = false;
// The row of the hotspot under the mouse, drawn on a colour of its own.
int g_hoverRow = -1;

void SetCell(HWND list, int row, int column, const char* text, LPARAM hotspot = 0) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | (column == 0 ? LVIF_PARAM : 0);
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  item.lParam = hotspot;
  if (column == 0)
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  else
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void SetRowsState(HWND list, int row, UINT mask, UINT state) {
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int RowOf(HWND list, LONG hotspot) {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = hotspot;
  return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

std::string CellText(HWND list, int row, int column) {
  char text[64] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

struct SortBy {
  HWND list;
  int column;
};

// Numbers (No., Kind) by value, names and texts alphabetically; equal
// cells keep the table's order.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM by) {
  const SortBy& sort = *reinterpret_cast<const SortBy*>(by);
  std::string x = CellText(sort.list, static_cast<int>(a), sort.column);
  std::string y = CellText(sort.list, static_cast<int>(b), sort.column);
  int order = sort.column == 0 || sort.column == 3 ? std::atoi(x.c_str()) - std::atoi(y.c_str())
                                                   : lstrcmpiA(x.c_str(), y.c_str());
  return order != 0 ? order : static_cast<int>(a - b);
}

std::string RowName(HWND list, int row) {
  return CellText(list, row, 1);
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
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(kTitles[i]);
    column.cx = 60;
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void FillHotspotList(HWND list, ImgStruct* record) {
  g_selectingByHover = true;
  g_hoverRow = -1;
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
    SetCell(list, row, 0, number, i);
    SetCell(list, row, 1, data.Name);
    SetCell(list, row, 2, data.Text);
    SetCell(list, row, 3, kind);
  }
  // Each column as wide as its widest cell or its title.
  for (int column = 0; column < 4; ++column) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    int cells = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    int title = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(kTitles[column])));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, std::max(cells, title + 16) + 4);
  }
  g_selectingByHover = false;
}

void SortRows(HWND list, int column) {
  SortBy by{list, column};
  SendMessageA(list, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&by), reinterpret_cast<LPARAM>(CompareRows));
}

LONG RowHotspot(HWND list, int row) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return TAVIMG_NO_HOTSPOT;
  return static_cast<LONG>(item.lParam);
}

void ShowHoverRow(HWND list, LONG hotspot) {
  SetRowsState(list, -1, LVIS_DROPHILITED, 0);
  int old = g_hoverRow;
  g_hoverRow = hotspot == TAVIMG_NO_HOTSPOT ? -1 : RowOf(list, hotspot);
  if (old >= 0)
    SendMessageA(list, LVM_REDRAWITEMS, old, old);
  if (g_hoverRow < 0)
    return;
  SetRowsState(list, g_hoverRow, LVIS_DROPHILITED, LVIS_DROPHILITED);
  SendMessageA(list, LVM_ENSUREVISIBLE, g_hoverRow, FALSE);
  SendMessageA(list, LVM_REDRAWITEMS, g_hoverRow, g_hoverRow);
}

LRESULT DrawListRow(NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
    return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && static_cast<int>(draw->nmcd.dwItemSpec) == g_hoverRow &&
      !(SendMessageA(draw->nmcd.hdr.hwndFrom, LVM_GETITEMSTATE, g_hoverRow, LVIS_SELECTED) & LVIS_SELECTED)) {
    draw->clrTextBk = RGB(255, 236, 160);
    draw->clrText = RGB(0, 0, 0);
    return CDRF_NEWFONT;
  }
  return CDRF_DODEFAULT;
}

int ListWidth(HWND list) {
  int width = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 4;
  for (int column = 0; column < 4; ++column)
    width += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
  return width;
}

bool IsUserSelectionChange() {
  return !g_selectingByHover;
}

void SelectAllRows(HWND list) {
  g_selectingByHover = true;
  SetRowsState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
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
  std::wstring text;
  ImgStruct* record = picture.record;
  if (record) {
    LONGLONG size = picture.isTiff ? TAVIMG_GetTIFFSize(record) : TAVIMG_GetDRFSize(record);
    char line[128];
    std::snprintf(line, sizeof line, "%s, %ld x %ld", picture.isTiff ? "TIFF, bilevel" : KindName(record),
                  static_cast<long>(TAVIMG_SIZE_WIDTH(size)), static_cast<long>(TAVIMG_SIZE_HEIGHT(size)));
    text = Widen(line);
    if (!picture.notice.empty())
      text += L" - " + picture.notice;
  }
  SendMessageW(status, SB_SETTEXTW, kStatusPicture, reinterpret_cast<LPARAM>(text.c_str()));
  // The scale shown: window pixels per picture pixel, as a percentage.
  char zoom[64] = "";
  if (record)
    std::snprintf(zoom, sizeof zoom, "Zoom %.0f%%", TrueScale(picture) * 100);
  SendMessageA(status, SB_SETTEXTA, kStatusZoom, reinterpret_cast<LPARAM>(zoom));
  PublishState(GetParent(status), picture);
}

} // namespace tavoview
