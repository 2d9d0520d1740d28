#pragma once

#include "reporttemplate.h"
#include "userrowsource.h"

#include <QString>

// A small template with every kind of band, on portrait A4 with 10 mm margins:
// 1122.52 report units of paper, bands between 37.8 and 1044.72 (the page footer
// is 40 high). With a title of 100 and a header of 30, the first page holds 17
// rows of 50, every other page 19.
inline ReportTemplate sampleTemplate() {
    return ReportTemplate::fromJson(R"({
  "name": "Sample",
  "page": {"size": "A4", "orientation": "portrait", "margins": [10, 10, 10, 10]},
  "defaults": {"font": "Arial", "size": 10},
  "bands": [
    {"name": "Footer", "kind": "pageFooter", "height": 40, "objects": [
      {"rect": [400, 10, 200, 20], "text": "第 [ PAGE#] 页", "align": "right", "valign": "middle"}]},
    {"name": "Title", "kind": "reportTitle", "height": 100, "objects": [
      {"rect": [0, 10, 700, 30], "text": "[title]", "align": "centre", "bold": true}]},
    {"name": "Header", "kind": "pageHeader", "height": 30, "objects": [
      {"rect": [0, 0, 100, 30], "text": "序号", "align": "centre", "valign": "middle", "frame": true},
      {"rect": [100, 0, 300, 30], "text": "名称", "align": "centre", "valign": "middle", "frame": true}]},
    {"name": "Data", "kind": "masterData", "height": 50, "objects": [
      {"rect": [0, 0, 100, 50], "text": "[ROW]", "align": "centre", "valign": "middle", "frame": true},
      {"rect": [100, 0, 300, 50], "text": "[NAME] ", "align": "right", "valign": "middle", "frame": true}]},
    {"name": "Total", "kind": "masterFooter", "height": 60, "objects": [
      {"rect": [100, 0, 300, 30], "text": "共 [count] 项", "frame": true}]}
  ]
})");
}
