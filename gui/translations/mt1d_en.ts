<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
  <context>
    <name>mt1d::gui::Ui</name>
    <message>
      <source>
%1 个测点未拟合 (failed)</source>
      <translation>
%1 sites not fitted</translation>
    </message>
    <message>
      <source>
没有可画的测点：无一测点有阻抗张量。</source>
      <translation>
No site to draw: none has an impedance tensor.</translation>
    </message>
    <message>
      <source>  ⚠ 各链结果不一致（R-hat ≥ %1 或样本太少）：后验尚不可信，请增加样本数或链数后重新采样。</source>
      <translation>  ⚠ The chains disagree (R-hat ≥ %1 or too few samples): the posterior cannot be trusted yet; sample again with more samples or chains.</translation>
    </message>
    <message>
      <source>%1

请给出各列的含义，以逗号分隔（%2）：</source>
      <translation>%1

Give the meaning of each column, separated by commas (%2):</translation>
    </message>
    <message>
      <source>%1  %2 km  (点击打开测点)</source>
      <translation>%1  %2 km  (click to open the site)</translation>
    </message>
    <message>
      <source>%1 (半空间)</source>
      <translation>%1 (half-space)</translation>
    </message>
    <message>
      <source>%1 个样本，%2 条链，预热 %3 步/链，种子 %4，用时 %5 s；层数众数 %6，采到的最佳 RMS %7</source>
      <translation>%1 samples, %2 chains, burn-in %3 steps/chain, seed %4, %5 s; most likely layer count %6, best RMS sampled %7</translation>
    </message>
    <message>
      <source>%1 个测点; 点击测点列打开其测深窗口</source>
      <translation>%1 sites; click a site column to open its sounding window</translation>
    </message>
    <message>
      <source>%1: 既无测深文件也无 summary.csv (no soundings — files ending in .edi, .xml, .j, .avg, .dat, .csv or .txt — and no summary.csv)</source>
      <translation>%1: no soundings (files ending in .edi, .xml, .j, .avg, .dat, .csv or .txt) and no summary.csv</translation>
    </message>
    <message>
      <source>%1[*] — 测点数据与拟合</source>
      <translation>%1[*] — sounding data and fit</translation>
    </message>
    <message>
      <source>%1：RMS %2，迭代 %3 次，用时 %4 ms，%5</source>
      <translation>%1: RMS %2, %3 iterations, %4 ms, %5</translation>
    </message>
    <message>
      <source>&lt;b&gt;mt1d&lt;/b&gt; — 一维大地电磁测深&lt;br&gt;测点数据的光滑反演与层状反演、手动正演与工程文件。</source>
      <translation>&lt;b&gt;mt1d&lt;/b&gt; — one-dimensional magnetotelluric sounding&lt;br&gt;Smooth and layered inversion of sounding data, hand-edited forward models and project files.</translation>
    </message>
    <message>
      <source>CSV 表格 (*.csv)</source>
      <translation>CSV table (*.csv)</translation>
    </message>
    <message>
      <source>JSON (*.json)</source>
      <translation>JSON (*.json)</translation>
    </message>
    <message>
      <source>JSON 文件 (*.json)</source>
      <translation>JSON file (*.json)</translation>
    </message>
    <message>
      <source>Occam RMS %1</source>
      <translation>Occam RMS %1</translation>
    </message>
    <message>
      <source>PDF 文档 (*.pdf)</source>
      <translation>PDF document (*.pdf)</translation>
    </message>
    <message>
      <source>PNG 图像 (*.png)</source>
      <translation>PNG image (*.png)</translation>
    </message>
    <message>
      <source>PNG 图像 (*.png);;SVG 矢量图 (*.svg);;PDF 文档 (*.pdf)</source>
      <translation>PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)</translation>
    </message>
    <message>
      <source>R-hat：失配 %1，层数 %2</source>
      <translation>R-hat: misfit %1, layer count %2</translation>
    </message>
    <message>
      <source>SVG 矢量图 (*.svg)</source>
      <translation>SVG drawing (*.svg)</translation>
    </message>
    <message>
      <source>Vantorel提示...</source>
      <translation>Vantorel notice...</translation>
    </message>
    <message>
      <source>berd（Berdichevsky 平均）</source>
      <translation>berd (Berdichevsky average)</translation>
    </message>
    <message>
      <source>det（行列式）</source>
      <translation>det (determinant)</translation>
    </message>
    <message>
      <source>h ×/÷</source>
      <translation>h ×/÷</translation>
    </message>
    <message>
      <source>mt1d 工程 (*.%1);;所有文件 (*)</source>
      <translation>mt1d project (*.%1);;All files (*)</translation>
    </message>
    <message>
      <source>mt1d 项目组</source>
      <translation>The mt1d project</translation>
    </message>
    <message>
      <source>± 倍数</source>
      <translation>± factor</translation>
    </message>
    <message>
      <source>± 相位</source>
      <translation>± phase</translation>
    </message>
    <message>
      <source>β（相位张量偏离角）</source>
      <translation>β (phase tensor skew)</translation>
    </message>
    <message>
      <source>ρa 与相位</source>
      <translation>ρa and phase</translation>
    </message>
    <message>
      <source>“%1”不是数</source>
      <translation>"%1" is not a number</translation>
    </message>
    <message>
      <source>。注意：数据已改变，此结果属于改变前的数据，请重新采样。</source>
      <translation>. Note: the data have changed since; this result belongs to the data before the change. Sample again.</translation>
    </message>
    <message>
      <source>一维</source>
      <translation>1-D</translation>
    </message>
    <message>
      <source>一维 %1 / %2 个频点（%3，|β| ≤ %4°，椭率 ≤ %5）；</source>
      <translation>1-D at %1 / %2 frequencies (%3, |β| ≤ %4°, ellipticity ≤ %5); </translation>
    </message>
    <message>
      <source>一维大地电磁测深正演与反演演示程序</source>
      <translation>1-D MT forward modelling and inversion demo</translation>
    </message>
    <message>
      <source>一维阈值：|β| ≤</source>
      <translation>1-D limits: |β| ≤</translation>
    </message>
    <message>
      <source>一键排除非一维</source>
      <translation>Exclude non-1-D</translation>
    </message>
    <message>
      <source>一键排除非一维（%1 个）</source>
      <translation>Exclude non-1-D (%1)</translation>
    </message>
    <message>
      <source>不支持的图件格式 “%1”：请用 .png、.svg 或 .pdf</source>
      <translation>Unsupported figure format "%1": use .png, .svg or .pdf</translation>
    </message>
    <message>
      <source>不支持的结果格式 “%1”：请用 .csv 或 .json</source>
      <translation>Unsupported results format "%1": use .csv or .json</translation>
    </message>
    <message>
      <source>不确定性</source>
      <translation>Uncertainty</translation>
    </message>
    <message>
      <source>不附带任何担保。</source>
      <translation>with no warranty.</translation>
    </message>
    <message>
      <source>仅 ρa</source>
      <translation>ρa only</translation>
    </message>
    <message>
      <source>仅相位</source>
      <translation>Phase only</translation>
    </message>
    <message>
      <source>以表中模型为起点做层状反演（层数取表中的，勾选的值保持不变）</source>
      <translation>Layered fit from the table's model (its layer count; ticked values stay fixed)</translation>
    </message>
    <message>
      <source>位置：</source>
      <translation>Location: </translation>
    </message>
    <message>
      <source>位置：未知</source>
      <translation>Location: unknown</translation>
    </message>
    <message>
      <source>依次做 1 到 N 层的层状反演（N 为层数设置），取 RMS 达到目标的最少层数</source>
      <translation>Fit 1 to N layers in turn (N from the layer setting) and keep the fewest whose RMS reaches the target</translation>
    </message>
    <message>
      <source>保存剖面图</source>
      <translation>Save section figure</translation>
    </message>
    <message>
      <source>保存图件…</source>
      <translation>Save figure…</translation>
    </message>
    <message>
      <source>保存工程</source>
      <translation>Save project</translation>
    </message>
    <message>
      <source>保存更改</source>
      <translation>Save changes</translation>
    </message>
    <message>
      <source>光滑反演</source>
      <translation>Smooth inversion</translation>
    </message>
    <message>
      <source>光滑反演 (Occam)</source>
      <translation>Smooth (Occam)</translation>
    </message>
    <message>
      <source>光滑反演结果</source>
      <translation>Smooth inversion result</translation>
    </message>
    <message>
      <source>光滑反演：第 %1 次迭代，RMS %2</source>
      <translation>Smooth inversion: iteration %1, RMS %2</translation>
    </message>
    <message>
      <source>关于</source>
      <translation>About</translation>
    </message>
    <message>
      <source>关于MT...</source>
      <translation>About MT...</translation>
    </message>
    <message>
      <source>关闭窗口</source>
      <translation>Close window</translation>
    </message>
    <message>
      <source>列的含义</source>
      <translation>Column meanings</translation>
    </message>
    <message>
      <source>删除当前层：上面的层接过它的厚度，其他界面不动</source>
      <translation>Delete the current layer: the layer above takes its thickness, the other interfaces stay</translation>
    </message>
    <message>
      <source>删除此层</source>
      <translation>Delete layer</translation>
    </message>
    <message>
      <source>删除第 %1 层</source>
      <translation>Delete layer %1</translation>
    </message>
    <message>
      <source>剖面 %1°, %2° → %3°, %4°   灰色: 探测深度以下</source>
      <translation>Profile %1°, %2° → %3°, %4°   grey: below the depth of investigation</translation>
    </message>
    <message>
      <source>勾选电阻率或厚度即锁定该值：下一次层状反演保持它不变</source>
      <translation>Tick a resistivity or a thickness to lock it: the next layered fit keeps it fixed</translation>
    </message>
    <message>
      <source>厚度 (m)</source>
      <translation>Thickness (m)</translation>
    </message>
    <message>
      <source>参数范围</source>
      <translation>Parameter bounds</translation>
    </message>
    <message>
      <source>反演拟合</source>
      <translation>Inversion fit</translation>
    </message>
    <message>
      <source>反演数据源</source>
      <translation>Inversion data</translation>
    </message>
    <message>
      <source>反演方法</source>
      <translation>Inversion method</translation>
    </message>
    <message>
      <source>反演电阻</source>
      <translation>Invert</translation>
    </message>
    <message>
      <source>取消</source>
      <translation>Cancel</translation>
    </message>
    <message>
      <source>另存工程…</source>
      <translation>Save project as…</translation>
    </message>
    <message>
      <source>后验概率</source>
      <translation>Posterior probability</translation>
    </message>
    <message>
      <source>后验概率密度</source>
      <translation>Posterior density</translation>
    </message>
    <message>
      <source>后验采样 %1 个样本</source>
      <translation>posterior, %1 samples</translation>
    </message>
    <message>
      <source>否</source>
      <translation>No</translation>
    </message>
    <message>
      <source>周期 (s)</source>
      <translation>Period (s)</translation>
    </message>
    <message>
      <source>图件只能存为 .png、.svg 或 .pdf 文件，不能存为“%1”。</source>
      <translation>A figure can only be saved as a .png, .svg or .pdf file, not as "%1".</translation>
    </message>
    <message>
      <source>地址: 开源项目，无通信地址</source>
      <translation>Address: open-source project, no postal address</translation>
    </message>
    <message>
      <source>大地电磁测深正演模拟演示程序</source>
      <translation>MT forward modelling demo</translation>
    </message>
    <message>
      <source>大地电磁测深计算</source>
      <translation>Magnetotelluric sounding</translation>
    </message>
    <message>
      <source>失配不是有限值</source>
      <translation>misfit not finite</translation>
    </message>
    <message>
      <source>奇异值反演</source>
      <translation>SVD inversion</translation>
    </message>
    <message>
      <source>导出后验采样</source>
      <translation>Export posterior samples</translation>
    </message>
    <message>
      <source>导出后验采样…</source>
      <translation>Export posterior samples…</translation>
    </message>
    <message>
      <source>导出图件</source>
      <translation>Export figure</translation>
    </message>
    <message>
      <source>导出图件…</source>
      <translation>Export figure…</translation>
    </message>
    <message>
      <source>导出结果</source>
      <translation>Export results</translation>
    </message>
    <message>
      <source>导出结果…</source>
      <translation>Export results…</translation>
    </message>
    <message>
      <source>尚无后验采样：请先在不确定度标签页运行采样</source>
      <translation>No posterior yet: run the sampling in the uncertainty tab first</translation>
    </message>
    <message>
      <source>尚无拟合结果：报告需要至少一个拟合</source>
      <translation>No fit yet: the report needs at least one fit</translation>
    </message>
    <message>
      <source>尚未拟合</source>
      <translation>Not fitted yet</translation>
    </message>
    <message>
      <source>尚未采样</source>
      <translation>Not sampled yet</translation>
    </message>
    <message>
      <source>层</source>
      <translation>Layer</translation>
    </message>
    <message>
      <source>层数</source>
      <translation>Layers</translation>
    </message>
    <message>
      <source>层数众数 %1；R-hat 失配 %2，层数 %3</source>
      <translation>Most likely layer count %1; R-hat misfit %2, layer count %3</translation>
    </message>
    <message>
      <source>层数（含半空间）</source>
      <translation>Layers (with half-space)</translation>
    </message>
    <message>
      <source>层状 %1 层 RMS %2</source>
      <translation>layered, %1 layers, RMS %2</translation>
    </message>
    <message>
      <source>层状反演</source>
      <translation>Layered inversion</translation>
    </message>
    <message>
      <source>层状反演结果</source>
      <translation>Layered inversion result</translation>
    </message>
    <message>
      <source>层状反演：第 %1/%2 个起点，最佳 RMS %3</source>
      <translation>Layered inversion: start %1/%2, best RMS %3</translation>
    </message>
    <message>
      <source>工程.</source>
      <translation>project.</translation>
    </message>
    <message>
      <source>已取消</source>
      <translation>cancelled</translation>
    </message>
    <message>
      <source>已取消: %1 / %2 个测点已拟合, 结果在 %3 (cancelled; 再次打开测区继续)</source>
      <translation>Cancelled: %1 / %2 sites fitted, results in %3 (open the survey again to go on)</translation>
    </message>
    <message>
      <source>已取消。</source>
      <translation>Cancelled.</translation>
    </message>
    <message>
      <source>已取消：仍显示上一次的结果。</source>
      <translation>Cancelled: the previous result is still shown.</translation>
    </message>
    <message>
      <source>已排除 %1 个非一维频点（撤销 Ctrl+Z 或勾选数据表中的行可恢复）</source>
      <translation>Excluded %1 non-1-D frequencies (undo with Ctrl+Z, or tick the rows in the data table)</translation>
    </message>
    <message>
      <source>已收敛</source>
      <translation>converged</translation>
    </message>
    <message>
      <source>已有测区正在拟合 (a survey is being fitted already)</source>
      <translation>A survey is being fitted already</translation>
    </message>
    <message>
      <source>帮助</source>
      <translation>Help</translation>
    </message>
    <message>
      <source>帮助(&amp;H)</source>
      <translation>&amp;Help</translation>
    </message>
    <message>
      <source>常规阻抗相位</source>
      <translation>Conventional impedance phase</translation>
    </message>
    <message>
      <source>开始拟合</source>
      <translation>Fit</translation>
    </message>
    <message>
      <source>开始采样</source>
      <translation>Sample</translation>
    </message>
    <message>
      <source>张量坐标系：x 轴自北顺时针</source>
      <translation>Tensor axes: x clockwise from north</translation>
    </message>
    <message>
      <source>恢复第 %1 行</source>
      <translation>Restore row %1</translation>
    </message>
    <message>
      <source>手动模型</source>
      <translation>Hand-edited model</translation>
    </message>
    <message>
      <source>打印</source>
      <translation>Print</translation>
    </message>
    <message>
      <source>打印报告</source>
      <translation>Print report</translation>
    </message>
    <message>
      <source>打印报告…</source>
      <translation>Print report…</translation>
    </message>
    <message>
      <source>打印未能完成。</source>
      <translation>Printing did not complete.</translation>
    </message>
    <message>
      <source>打印机无法开始打印。</source>
      <translation>The printer cannot start printing.</translation>
    </message>
    <message>
      <source>打开工程</source>
      <translation>Open project</translation>
    </message>
    <message>
      <source>打开工程…</source>
      <translation>Open project…</translation>
    </message>
    <message>
      <source>打开测区</source>
      <translation>Open survey</translation>
    </message>
    <message>
      <source>打开测区 (Open survey folder)</source>
      <translation>Open survey folder</translation>
    </message>
    <message>
      <source>打开测区…</source>
      <translation>Open survey folder…</translation>
    </message>
    <message>
      <source>打开测点</source>
      <translation>Open site</translation>
    </message>
    <message>
      <source>打开测点数据</source>
      <translation>Open sounding</translation>
    </message>
    <message>
      <source>打开测点数据…</source>
      <translation>Open sounding…</translation>
    </message>
    <message>
      <source>找不到测点 %1 的数据文件 %2 (the sounding file of site %1 cannot be found)</source>
      <translation>The sounding file %2 of site %1 cannot be found</translation>
    </message>
    <message>
      <source>找不到用户指南 (the user guide is missing): </source>
      <translation>The user guide is missing: </translation>
    </message>
    <message>
      <source>把当前层分成电阻率相同、各厚一半的两层（响应不变）</source>
      <translation>Split the current layer into two of the same resistivity, each half as thick (the response is unchanged)</translation>
    </message>
    <message>
      <source>拆分此层</source>
      <translation>Split layer</translation>
    </message>
    <message>
      <source>拆分第 %1 层</source>
      <translation>Split layer %1</translation>
    </message>
    <message>
      <source>拖动模型</source>
      <translation>Drag model</translation>
    </message>
    <message>
      <source>拟合</source>
      <translation>Fit</translation>
    </message>
    <message>
      <source>拟合未进行：%1</source>
      <translation>Fit not run: %1</translation>
    </message>
    <message>
      <source>拟合此模型</source>
      <translation>Fit this model</translation>
    </message>
    <message>
      <source>拟合测区 %1 …</source>
      <translation>Fitting survey %1 …</translation>
    </message>
    <message>
      <source>拟合设置</source>
      <translation>Fit settings</translation>
    </message>
    <message>
      <source>排除 %1 个非一维频点</source>
      <translation>Exclude %1 non-1-D frequencies</translation>
    </message>
    <message>
      <source>排除 %1 行</source>
      <translation>Exclude %1 rows</translation>
    </message>
    <message>
      <source>排除第 %1 行</source>
      <translation>Exclude row %1</translation>
    </message>
    <message>
      <source>探测深度</source>
      <translation>Depth of investigation</translation>
    </message>
    <message>
      <source>撤销</source>
      <translation>Undo</translation>
    </message>
    <message>
      <source>撤销 %1</source>
      <translation>Undo %1</translation>
    </message>
    <message>
      <source>数据不可用</source>
      <translation>data unusable</translation>
    </message>
    <message>
      <source>文件</source>
      <translation>File</translation>
    </message>
    <message>
      <source>文件(&amp;F)</source>
      <translation>&amp;File</translation>
    </message>
    <message>
      <source>方法</source>
      <translation>Method</translation>
    </message>
    <message>
      <source>旋转到 %1°</source>
      <translation>Rotate to %1°</translation>
    </message>
    <message>
      <source>旋转到走向</source>
      <translation>Rotate to strike</translation>
    </message>
    <message>
      <source>旋转到走向 %1°</source>
      <translation>Rotate to strike %1°</translation>
    </message>
    <message>
      <source>无二维频点，测点走向未定</source>
      <translation>No 2-D frequencies: site strike undetermined</translation>
    </message>
    <message>
      <source>无法保存工程</source>
      <translation>Cannot save the project</translation>
    </message>
    <message>
      <source>无法写入 %1</source>
      <translation>Cannot write %1</translation>
    </message>
    <message>
      <source>无法写入文件“%1”：%2</source>
      <translation>Cannot write the file "%1": %2</translation>
    </message>
    <message>
      <source>无法打开工程</source>
      <translation>Cannot open the project</translation>
    </message>
    <message>
      <source>无法打开测点数据</source>
      <translation>Cannot open the sounding</translation>
    </message>
    <message>
      <source>无法打开用户指南，请直接阅读 (cannot open the user guide; read it at): </source>
      <translation>Cannot open the user guide; read it at: </translation>
    </message>
    <message>
      <source>无法采样：%1</source>
      <translation>Cannot sample: %1</translation>
    </message>
    <message>
      <source>是</source>
      <translation>Yes</translation>
    </message>
    <message>
      <source>显示</source>
      <translation>Show</translation>
    </message>
    <message>
      <source>曲线与模型</source>
      <translation>Curves and model</translation>
    </message>
    <message>
      <source>最佳 RMS %1</source>
      <translation>best RMS %1</translation>
    </message>
    <message>
      <source>最后日期:  2004-04-25</source>
      <translation>Last date:  2004-04-25</translation>
    </message>
    <message>
      <source>最多层数</source>
      <translation>Max. layers</translation>
    </message>
    <message>
      <source>最少层数</source>
      <translation>Fewest layers</translation>
    </message>
    <message>
      <source>未参与拟合</source>
      <translation>Excluded from fit</translation>
    </message>
    <message>
      <source>未定</source>
      <translation>unresolved</translation>
    </message>
    <message>
      <source>未拟合</source>
      <translation>not fitted</translation>
    </message>
    <message>
      <source>未达目标 RMS</source>
      <translation>target RMS not reached</translation>
    </message>
    <message>
      <source>本程序是自由软件，按 GNU 通用公共许可证第 3 版或更新版本发布，</source>
      <translation>Free software under the GNU GPL, version 3 or later,</translation>
    </message>
    <message>
      <source>样本数</source>
      <translation>Samples</translation>
    </message>
    <message>
      <source>椭率</source>
      <translation>Ellipticity</translation>
    </message>
    <message>
      <source>椭率 ≤</source>
      <translation>ellipticity ≤</translation>
    </message>
    <message>
      <source>模型参数</source>
      <translation>Model</translation>
    </message>
    <message>
      <source>模型层数</source>
      <translation>Layers</translation>
    </message>
    <message>
      <source>模式</source>
      <translation>Mode</translation>
    </message>
    <message>
      <source>模式 %1</source>
      <translation>Mode %1</translation>
    </message>
    <message>
      <source>横向电阻 (Ω·m²)</source>
      <translation>Transverse resistance (Ω·m²)</translation>
    </message>
    <message>
      <source>欢迎访问 mt1d 项目主页</source>
      <translation>Visit the mt1d project page</translation>
    </message>
    <message>
      <source>正在拟合…</source>
      <translation>Fitting…</translation>
    </message>
    <message>
      <source>正在采样%1：%2 / %3 步，接受率 %4，当前 RMS %5</source>
      <translation>Sampling%1: %2 / %3 steps, acceptance %4, current RMS %5</translation>
    </message>
    <message>
      <source>正在采样…</source>
      <translation>Sampling…</translation>
    </message>
    <message>
      <source>正演响应</source>
      <translation>Forward response</translation>
    </message>
    <message>
      <source>正演计算</source>
      <translation>Forward</translation>
    </message>
    <message>
      <source>此文件只有视电阻率与相位，没有阻抗张量：无可分析的维度。相位张量、偏离度与走向要用四个阻抗分量（如 EDI 的 Z 数据块）。</source>
      <translation>This file holds only apparent resistivity and phase, no impedance tensor: there is no dimensionality to analyse. The phase tensor, its skew and the strike need the four impedance components (such as the Z blocks of an EDI file).</translation>
    </message>
    <message>
      <source>每个深度上的概率</source>
      <translation>Probability at each depth</translation>
    </message>
    <message>
      <source>每核一条</source>
      <translation>One per core</translation>
    </message>
    <message>
      <source>没有二维频点，走向未定</source>
      <translation>no 2-D frequencies, strike undetermined</translation>
    </message>
    <message>
      <source>没有可计算相位张量的频点</source>
      <translation>No frequency with a computable phase tensor</translation>
    </message>
    <message>
      <source>沿剖面距离 (km)</source>
      <translation>Distance along profile (km)</translation>
    </message>
    <message>
      <source>测区未能拟合 (the survey could not be fitted): %1</source>
      <translation>The survey could not be fitted: %1</translation>
    </message>
    <message>
      <source>测点</source>
      <translation>Site</translation>
    </message>
    <message>
      <source>测点 %1 的窗口有未保存的更改（排除、拟合或手动修改的模型）。关闭前保存工程吗？</source>
      <translation>The window of site %1 has unsaved changes (exclusions, fits or a hand-edited model). Save the project before closing?</translation>
    </message>
    <message>
      <source>测点序号</source>
      <translation>Site number</translation>
    </message>
    <message>
      <source>测点序号 (无坐标)</source>
      <translation>Site number (no coordinates)</translation>
    </message>
    <message>
      <source>测点数据</source>
      <translation>Sounding data</translation>
    </message>
    <message>
      <source>测点数据 (*.edi *.EDI *.xml *.XML *.j *.J *.avg *.AVG *.dat *.txt *.csv);;所有文件 (*)</source>
      <translation>Soundings (*.edi *.EDI *.xml *.XML *.j *.J *.avg *.AVG *.dat *.txt *.csv);;All files (*)</translation>
    </message>
    <message>
      <source>测点无坐标, 按顺序排列   灰色: 探测深度以下</source>
      <translation>Sites without coordinates, in order   grey: below the depth of investigation</translation>
    </message>
    <message>
      <source>测点走向 %1</source>
      <translation>site strike %1</translation>
    </message>
    <message>
      <source>测点走向 %1°（实心：二维频点）</source>
      <translation>Site strike %1° (filled: 2-D frequencies)</translation>
    </message>
    <message>
      <source>测点：%1    文件：%2</source>
      <translation>Site: %1    File: %2</translation>
    </message>
    <message>
      <source>深度 (km)</source>
      <translation>Depth (km)</translation>
    </message>
    <message>
      <source>深度 (m)</source>
      <translation>Depth (m)</translation>
    </message>
    <message>
      <source>灰色：该处无数据（周期超出测点频段，或测点无阻抗张量）</source>
      <translation>Grey: no data there (period outside the site's band, or no impedance tensor)</translation>
    </message>
    <message>
      <source>版本: 2004.04</source>
      <translation>Version: 2004.04</translation>
    </message>
    <message>
      <source>用户指南</source>
      <translation>User guide</translation>
    </message>
    <message>
      <source>电子邮件: mt1d@example.org</source>
      <translation>E-mail: mt1d@example.org</translation>
    </message>
    <message>
      <source>电导 (S)</source>
      <translation>Conductance (S)</translation>
    </message>
    <message>
      <source>电话: 无</source>
      <translation>Telephone: none</translation>
    </message>
    <message>
      <source>电阻率
(Ω·m)</source>
      <translation>Resistivity
(Ω·m)</translation>
    </message>
    <message>
      <source>电阻率 (Ω·m)</source>
      <translation>Resistivity (Ω·m)</translation>
    </message>
    <message>
      <source>电阻率 ρ (Ω·m)</source>
      <translation>Resistivity ρ (Ω·m)</translation>
    </message>
    <message>
      <source>电阻率剖面</source>
      <translation>Resistivity section</translation>
    </message>
    <message>
      <source>电阻率剖面 — %1</source>
      <translation>Resistivity section — %1</translation>
    </message>
    <message>
      <source>界面概率</source>
      <translation>Interface probability</translation>
    </message>
    <message>
      <source>目标 RMS</source>
      <translation>Target RMS</translation>
    </message>
    <message>
      <source>相位</source>
      <translation>Phase</translation>
    </message>
    <message>
      <source>相位 (°)</source>
      <translation>Phase (°)</translation>
    </message>
    <message>
      <source>相位张量</source>
      <translation>Phase tensor</translation>
    </message>
    <message>
      <source>相位张量拟剖面</source>
      <translation>Phase tensor pseudosection</translation>
    </message>
    <message>
      <source>确定</source>
      <translation>OK</translation>
    </message>
    <message>
      <source>第 %1 层厚度</source>
      <translation>Thickness of layer %1</translation>
    </message>
    <message>
      <source>第 %1 层电阻率</source>
      <translation>Resistivity of layer %1</translation>
    </message>
    <message>
      <source>等效范围（RMS 不超过 1.1 倍）</source>
      <translation>Equivalence range (RMS within 1.1 times)</translation>
    </message>
    <message>
      <source>约束反演</source>
      <translation>Constrained</translation>
    </message>
    <message>
      <source>纬度 %1°</source>
      <translation>latitude %1°</translation>
    </message>
    <message>
      <source>经度 %1°</source>
      <translation>longitude %1°</translation>
    </message>
    <message>
      <source>结果只能存为 .csv 或 .json 文件，不能存为“%1”。</source>
      <translation>Results can only be saved as a .csv or .json file, not as "%1".</translation>
    </message>
    <message>
      <source>维度</source>
      <translation>Dimensionality</translation>
    </message>
    <message>
      <source>编辑(&amp;E)</source>
      <translation>&amp;Edit</translation>
    </message>
    <message>
      <source>表中换为光滑模型</source>
      <translation>Table to smooth model</translation>
    </message>
    <message>
      <source>表中换为光滑结果</source>
      <translation>Use smooth result</translation>
    </message>
    <message>
      <source>表中换为层状模型</source>
      <translation>Table to layered model</translation>
    </message>
    <message>
      <source>表中换为层状结果</source>
      <translation>Use layered result</translation>
    </message>
    <message>
      <source>表中模型 RMS %1</source>
      <translation>Table model RMS %1</translation>
    </message>
    <message>
      <source>表中模型 RMS —</source>
      <translation>Table model RMS —</translation>
    </message>
    <message>
      <source>表中还没有模型：先做一次拟合</source>
      <translation>No model in the table yet: run a fit first</translation>
    </message>
    <message>
      <source>观测</source>
      <translation>Observed</translation>
    </message>
    <message>
      <source>视图</source>
      <translation>View</translation>
    </message>
    <message>
      <source>视图(&amp;V)</source>
      <translation>&amp;View</translation>
    </message>
    <message>
      <source>视电阻率</source>
      <translation>App. resistivity</translation>
    </message>
    <message>
      <source>视电阻率 ρa (Ω·m)</source>
      <translation>Apparent resistivity ρa (Ω·m)</translation>
    </message>
    <message>
      <source>视电阻率+相位</source>
      <translation>Resistivity + phase</translation>
    </message>
    <message>
      <source>视电阻率曲线</source>
      <translation>Apparent resistivity</translation>
    </message>
    <message>
      <source>解锁%1</source>
      <translation>Unlock %1</translation>
    </message>
    <message>
      <source>语言</source>
      <translation>Language</translation>
    </message>
    <message>
      <source>误差下限</source>
      <translation>Error floor</translation>
    </message>
    <message>
      <source>误差下限 %1 %</source>
      <translation>Error floor %1 %</translation>
    </message>
    <message>
      <source>走向 (°)</source>
      <translation>Strike (°)</translation>
    </message>
    <message>
      <source>起点数</source>
      <translation>Starts</translation>
    </message>
    <message>
      <source>达到目标 RMS</source>
      <translation>target RMS reached</translation>
    </message>
    <message>
      <source>达到迭代上限</source>
      <translation>iteration limit reached</translation>
    </message>
    <message>
      <source>退出</source>
      <translation>Quit</translation>
    </message>
    <message>
      <source>采样完成，正在计算层状模型的等效范围…</source>
      <translation>Sampling done; working out the equivalence ranges of the layered model…</translation>
    </message>
    <message>
      <source>重做</source>
      <translation>Redo</translation>
    </message>
    <message>
      <source>重做 %1</source>
      <translation>Redo %1</translation>
    </message>
    <message>
      <source>重置反演模型</source>
      <translation>Reset model</translation>
    </message>
    <message>
      <source>链数</source>
      <translation>Chains</translation>
    </message>
    <message>
      <source>锁定%1</source>
      <translation>Lock %1</translation>
    </message>
    <message>
      <source>阻尼耗尽，未收敛</source>
      <translation>damping exhausted, not converged</translation>
    </message>
    <message>
      <source>阻抗相位</source>
      <translation>Impedance phase</translation>
    </message>
    <message>
      <source>阻抗相位 φ (°)</source>
      <translation>Impedance phase φ (°)</translation>
    </message>
    <message>
      <source>随机种子</source>
      <translation>Random seed</translation>
    </message>
    <message>
      <source>非一维</source>
      <translation>Not 1-D</translation>
    </message>
    <message>
      <source>非一维：%1</source>
      <translation>Not 1-D: %1</translation>
    </message>
    <message>
      <source>顶深 (m)</source>
      <translation>Top (m)</translation>
    </message>
    <message>
      <source>频率 (Hz)</source>
      <translation>Frequency (Hz)</translation>
    </message>
    <message>
      <source>高程 %1 m</source>
      <translation>elevation %1 m</translation>
    </message>
    <message>
      <source>（或 %1），据 %2 个二维频点</source>
      <translation> (or %1), from %2 2-D frequencies</translation>
    </message>
    <message>
      <source>（预热）</source>
      <translation> (burn-in)</translation>
    </message>
    <message>
      <source>，</source>
      <translation>, </translation>
    </message>
    <message>
      <source>；RMS 远低于 1：模型可能在拟合噪声，更少的层数也许同样好</source>
      <translation>; RMS far below 1: the model may fit the noise, fewer layers may do as well</translation>
    </message>
    <message>
      <source>；少数起点达到最佳失配：更多起点可能找到更低的失配</source>
      <translation>; few starts reached the best misfit: more starts may find a lower one</translation>
    </message>
    <message>
      <source>；没有哪个层数达到目标 RMS</source>
      <translation>; no layer count reaches the target RMS</translation>
    </message>
    <message>
      <source>；等效范围未得出：%1</source>
      <translation>; equivalence ranges not found: %1</translation>
    </message>
    <message>
      <source>；等效范围：RMS 不超过 %1</source>
      <translation>; equivalence ranges: RMS up to %1</translation>
    </message>
    <message>
      <source>；达到目标的最少层数：%1</source>
      <translation>; fewest layers reaching the target: %1</translation>
    </message>
  </context>
</TS>
