<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ConvertOptions</name>
    <message>
        <source>Word文件所在文件夹不存在!</source>
        <translation>The folder of the Word files does not exist!</translation>
    </message>
    <message>
        <source>excel模板文件不存在!</source>
        <translation>The Excel template file does not exist!</translation>
    </message>
    <message>
        <source>保存文件夹不存在!</source>
        <translation>The destination folder does not exist!</translation>
    </message>
    <message>
        <source>空白表单文件不存在!</source>
        <translation>The blank form does not exist!</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>第一步：选择文件夹(支持子文件夹)</source>
        <translation>Step 1: choose the folders (subfolders included)</translation>
    </message>
    <message>
        <source>Word文件所在文件夹：</source>
        <translation>Folder of the Word files:</translation>
    </message>
    <message>
        <source>转换后保存到此文件夹：</source>
        <translation>Save the workbooks to:</translation>
    </message>
    <message>
        <source>第二步：选择第一个sheet设置好格式的excel模板文件（如无需,可留空）</source>
        <translation>Step 2: an Excel template whose first sheet has the formats (optional)</translation>
    </message>
    <message>
        <source>使用模板文件</source>
        <translation>Use a template</translation>
    </message>
    <message>
        <source>Excel格式模板文件：</source>
        <translation>Excel template file:</translation>
    </message>
    <message>
        <source>最后一行行号：</source>
        <translation>Last template row:</translation>
    </message>
    <message>
        <source>第三步：转换</source>
        <translation>Step 3: convert</translation>
    </message>
    <message>
        <source>仅文本内容,不带格式</source>
        <translation>Text only, no formats</translation>
    </message>
    <message>
        <source>只转换Word文件中的表格(一个Word表格一个Sheet)</source>
        <translation>Tables only (a sheet each)</translation>
    </message>
    <message>
        <source>使用分列符(无法输入的符号,可从Word文件复制)：</source>
        <translation>Split columns at (copy odd symbols from Word):</translation>
    </message>
    <message>
        <source>转换</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>  本软件由Sheetweaver项目免费发布，新版本随项目发布页一同提供。 【操作前请先备份并关闭所有Word文件,支持微软Office2007以上、WPS专业版】</source>
        <translation>  Sheetweaver is published free of charge by the Sheetweaver project, with new versions on the project&apos;s release page. [Back up and close all Word files first. Works with Microsoft Office 2007 or later and WPS Professional.]</translation>
    </message>
    <message>
        <source>打开未转换文件列表</source>
        <translation>Open the list of failed files</translation>
    </message>
    <message>
        <source>打开保存文件夹</source>
        <translation>Open the destination folder</translation>
    </message>
    <message>
        <source>，%1个文件未能转换</source>
        <translation>, %1 file(s) could not be converted</translation>
    </message>
    <message>
        <source>注意：</source>
        <translation>Note:</translation>
    </message>
    <message>
        <source>成功升级新版本!</source>
        <translation>Updated to the new version!</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>正在转换，确定要退出吗？</source>
        <translation>A conversion is running. Quit anyway?</translation>
    </message>
    <message>
        <source>选择Excel文件</source>
        <translation>Choose an Excel file</translation>
    </message>
    <message>
        <source>无法写入报告 %1
未能转换的%2个文件列在详细信息中。</source>
        <translation>The report %1 could not be written.
The documents not converted (%2) are listed in the details.</translation>
    </message>
</context>
<context>
    <name>MergeObject</name>
    <message>
        <source>本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!</source>
        <translation>This needs Microsoft Office or Kingsoft WPS Professional (the professional edition, not the personal one) on this computer!</translation>
    </message>
    <message>
        <source>多线程转换需要内置办公组件, 请一次转换一个文件 (more than one job at a time needs the built-in office; use --jobs 1)</source>
        <translation>More than one job at a time needs the built-in office; use --jobs 1.</translation>
    </message>
    <message>
        <source>成功转换%1个Word文件,耗时%2秒。</source>
        <translation>Converted %1 Word file(s) in %2 seconds.</translation>
    </message>
</context>
<context>
    <name>SystemTray</name>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>ThreadPost</name>
    <message>
        <source>发现新版本,请进入%1下载更新!</source>
        <translation>A new version is available: download it from %1!</translation>
    </message>
</context>
</TS>
