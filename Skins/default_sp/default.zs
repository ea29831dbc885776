<info [176,220] name="Default" author="Tonilo" comments="Calm dark default skin, compact, with the recording list on a page of its own"/>
<panel [0,0] file="back.png" name="Back"/>
<text [5,10,166,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Title"/>
<text [5,10,166,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Info"/>
<time [29,33,102,22] digits=[87,72,51,36,15,0] ticks=[62,26] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,180,22]/>
</time>
<level [5,64,166,6] file="meter.png" src=[0,0,166,6] name="VolLevel"/>
<slider [5,79,166,20] name="Track">
  <level [5,8,155,3] file="track_play.png" src=[0,0,155,3] name="PlayL"/>
  <level [5,8,155,3] file="track_rec.png" src=[0,0,155,3] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,7] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,11,20]/>
</slider>
<button [26,110,60,60] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [90,110,28,28] file="play.png" alpha="play_mask.png" name="Play"/>
<button [122,110,28,28] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [90,142,28,28] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [122,142,28,28] file="next.png" alpha="next_mask.png" name="Next"/>
<button [5,182,28,28] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [37,182,102,28] name="Volume">
  <level [6,12,89,3] file="volume_fill.png" src=[0,0,89,3] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,13,28]/>
</slider>
<button [143,182,28,28] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<frame name="Files">
  <panel [0,0] file="files_back.png" name="FilesBack"/>
  <filedir [9,5,143,33] name="FileDir"/>
  <button [143,5,28,28] file="sortby.png" name="SortBy"/>
  <filelist [5,34,171,213] name="FileList" style="NOT WS_BORDER"/>
</frame>
