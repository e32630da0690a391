#pragma once
// The registry of monitored sites: table website, one row per site holding its
// site table name, and the two tables of each site.

namespace zv {

class MainWindow;

// Adds the site typed in 编辑框_网站地址 (without "http://" and "/"), creating
// its rank and overview tables and its registry row, then runs the follow-up
// queries for it.
void addSite(MainWindow& window);
// Deletes the current site (the text of 组合框_网站列表) after confirmation,
// with its registry row and both tables.
void deleteSite(MainWindow& window);
// Fills 组合框_网站列表 from the registry; its text becomes empty.
void loadSiteList(MainWindow& window);
// The user picked a site from 组合框_网站列表: show its keywords and figures.
void onSiteSelected(MainWindow& window);

} // namespace zv
