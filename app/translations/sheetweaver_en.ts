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
        <source>所选模板文件不是Excel工作簿!</source>
        <translation>The template file is not an Excel workbook!</translation>
    </message>
    <message>
        <source>保存文件夹不能是Word文件所在文件夹或其中的文件夹!</source>
        <translation>The destination folder must not be the folder of the Word files or a folder inside it!</translation>
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
        <translation>Folder of the &amp;Word files:</translation>
    </message>
    <message>
        <source>转换后保存到此文件夹：</source>
        <translation>Save the workbooks &amp;in:</translation>
    </message>
    <message>
        <source>第二步：选择第一个sheet设置好格式的excel模板文件（如无需,可留空）</source>
        <translation>Step 2: an Excel template whose first sheet has the formats (optional)</translation>
    </message>
    <message>
        <source>使用模板文件</source>
        <translation>&amp;Use a template</translation>
    </message>
    <message>
        <source>Excel格式模板文件：</source>
        <translation>&amp;Excel template file:</translation>
    </message>
    <message>
        <source>最后一行行号：</source>
        <translation>&amp;Last template row:</translation>
    </message>
    <message>
        <source>第三步：转换</source>
        <translation>Step 3: convert</translation>
    </message>
    <message>
        <source>仅文本内容,不带格式</source>
        <translation>Te&amp;xt only, no formats</translation>
    </message>
    <message>
        <source>只转换Word文件中的表格(一个Word表格一个Sheet)</source>
        <translation>&amp;Tables only (a sheet each)</translation>
    </message>
    <message>
        <source>使用分列符(无法输入的符号,可从Word文件复制)：</source>
        <translation>&amp;Split columns at (copy odd symbols from Word):</translation>
    </message>
    <message>
        <source>转换</source>
        <translation>&amp;Convert</translation>
    </message>
    <message>
        <source>  本软件由Sheetweaver项目免费发布，新版本随项目发布页一同提供。 【操作前请先备份并关闭所有Word文件,支持微软Office2007以上、WPS专业版】</source>
        <translation>  Sheetweaver is published free of charge by the Sheetweaver project, with new versions on the project&apos;s release page. [Back up and close all Word files first. Works with Microsoft Office 2007 or later and WPS Professional.]</translation>
    </message>
    <message>
        <source>打开未转换文件列表</source>
        <translation>&amp;Review the documents not converted</translation>
    </message>
    <message>
        <source>打开保存文件夹</source>
        <translation>Open the destination &amp;folder</translation>
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
    <message>
        <source>停止(&amp;P)</source>
        <translation>Sto&amp;p</translation>
    </message>
    <message>
        <source>转换完当前文件后停止，并为已完成的文件写出报告</source>
        <translation>Stop after the current document and write the report for the documents done</translation>
    </message>
    <message>
        <source>每个工作簿的第一个工作表从模板的前几行开始，并采用模板的列宽和格式</source>
        <translation>Each workbook&apos;s first sheet starts with the template&apos;s top rows and takes its column widths and formats</translation>
    </message>
    <message>
        <source>从模板复制到每个工作簿的最后一行</source>
        <translation>The last template row copied into each workbook</translation>
    </message>
    <message>
        <source>只粘贴文字，不带字体、颜色、边框等格式</source>
        <translation>Paste the text only, without fonts, colours, borders and other formats</translation>
    </message>
    <message>
        <source>只转换Word文件中的表格，每个表格放在一个工作表中</source>
        <translation>Convert only the Word documents&apos; tables, each table to a sheet of its own</translation>
    </message>
    <message>
        <source>在此符号处把A列的文字拆分到后面的列中（仅转换整个文件时）</source>
        <translation>Split the text of column A into the next columns at this symbol (whole documents only)</translation>
    </message>
    <message>
        <source>转换Word文件所在文件夹及其子文件夹中的所有Word文件</source>
        <translation>Convert every Word document in the folder of the Word files and its subfolders</translation>
    </message>
    <message>
        <source>  Sheetweaver把文件夹中的Word文件转换为Excel工作簿。 【使用内置的Word和Excel组件，无需安装Office；转换前请先备份文件】</source>
        <translation>  Sheetweaver converts the Word documents of a folder into Excel workbooks. [It reads and writes them itself, no Office needed. Back up your files first.]</translation>
    </message>
    <message>
        <source>正在停止：当前文件转换完后停止……</source>
        <translation>Stopping after the current document…</translation>
    </message>
    <message>
        <source>创建保存文件夹</source>
        <translation>Create the destination folder</translation>
    </message>
    <message>
        <source>保存文件夹不存在，要创建它吗？
%1</source>
        <translation>The destination folder does not exist. Create it?
%1</translation>
    </message>
    <message>
        <source>保存文件夹中已有工作簿</source>
        <translation>Workbooks already in the destination</translation>
    </message>
    <message>
        <source>保存文件夹中已有转换得到的工作簿。
全部替换：重新转换每个Word文件。
继续上次：保留比Word文件新的工作簿，只转换其余的文件。</source>
        <translation>The destination folder already holds converted workbooks.
Replace all: convert every Word document again.
Resume: keep the workbooks that are newer than their documents and convert only the rest.</translation>
    </message>
    <message>
        <source>全部替换(&amp;A)</source>
        <translation>Replace &amp;all</translation>
    </message>
    <message>
        <source>继续上次(&amp;K)</source>
        <translation>&amp;Resume</translation>
    </message>
    <message>
        <source>无法开始转换</source>
        <translation>Cannot start the conversion</translation>
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
    <name>OfficeChoiceBox</name>
    <message>
        <source>内置办公组件</source>
        <translation>Built-in office</translation>
    </message>
    <message>
        <source>已安装的Office/WPS</source>
        <translation>Installed Office/WPS</translation>
    </message>
    <message>
        <source>自动（有Office/WPS时使用它们）</source>
        <translation>Automatic (Office/WPS when installed)</translation>
    </message>
    <message>
        <source>转换使用(&amp;O)：</source>
        <translation>C&amp;onvert with:</translation>
    </message>
    <message>
        <source>哪个办公软件打开Word文件并写出工作簿</source>
        <translation>Which office opens the Word files and writes the workbooks</translation>
    </message>
    <message>
        <source>本次使用内置办公组件</source>
        <translation>This run uses the built-in office</translation>
    </message>
    <message>
        <source>本次使用已安装的Office/WPS</source>
        <translation>This run uses the installed Office/WPS</translation>
    </message>
</context>
<context>
    <name>RunReportDialog</name>
    <message>
        <source>转换问题</source>
        <translation>Conversion issues</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>What happened</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>打开报告文件(&amp;O)</source>
        <translation>&amp;Open the report file</translation>
    </message>
    <message>
        <source>复制(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>无法打开</source>
        <translation>could not open</translation>
    </message>
    <message>
        <source>未能保存</source>
        <translation>not saved</translation>
    </message>
    <message>
        <source>转换有损失</source>
        <translation>converted with a loss</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>没有找到Word文件：所选文件夹及其子文件夹中没有Word文件。</source>
        <translation>No Word documents were found in the folder or its subfolders.</translation>
    </message>
    <message>
        <source>已在%1/%2个文件后停止</source>
        <translation>Stopped after %1 of %2 documents</translation>
    </message>
    <message>
        <source>成功转换%1个Word文件</source>
        <translation>Word documents converted: %1</translation>
    </message>
    <message>
        <source>%1个文件未能转换</source>
        <translation>not converted: %1</translation>
    </message>
    <message>
        <source>%1个文件转换有损失</source>
        <translation>converted with losses: %1</translation>
    </message>
    <message>
        <source>跳过%1个已是最新的文件</source>
        <translation>skipped as up to date: %1</translation>
    </message>
    <message>
        <source>耗时%1秒</source>
        <translation>time: %1 s</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>未转换和有损失的文件(&amp;R)</source>
        <translation>&amp;Review: not converted, with losses</translation>
    </message>
    <message>
        <source>未转换的文件(&amp;R)</source>
        <translation>&amp;Review: not converted</translation>
    </message>
    <message>
        <source>有损失的文件(&amp;R)</source>
        <translation>&amp;Review: converted with losses</translation>
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
<context>
    <name>main</name>
    <message>
        <source>Sheetweaver正在另一个窗口中转换，请等它完成后再启动。</source>
        <translation>Sheetweaver is converting in another window. Start it again when that run has finished.</translation>
    </message>
</context>
</TS>
