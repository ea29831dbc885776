<info [240,240] name="Default" author="Tonilo" comments="Calm dark default skin, compact, with the recording list on a page of its own"/>
<panel [0,0] file="back.png" name="Back"/>
<text [7,8,226,16] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Title"/>
<text [7,8,226,16] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Info"/>
<time [42,28,136,30] digits=[116,96,68,48,20,0] ticks=[82,34] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,240,30]/>
</time>
<level [7,65,226,6] file="meter.png" src=[0,0,226,6] name="VolLevel"/>
<slider [7,78,226,23] name="Track">
  <level [6,10,213,3] file="track_play.png" src=[0,0,213,3] name="PlayL"/>
  <level [6,10,213,3] file="track_rec.png" src=[0,0,213,3] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,9] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,13,23]/>
</slider>
<button [38,111,79,79] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [122,111,37,37] file="play.png" alpha="play_mask.png" name="Play"/>
<button [164,111,37,37] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [122,153,37,37] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [164,153,37,37] file="next.png" alpha="next_mask.png" name="Next"/>
<button [7,200,32,32] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [45,200,150,32] name="Volume">
  <level [7,14,135,3] file="volume_fill.png" src=[0,0,135,3] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,15,32]/>
</slider>
<button [201,200,32,32] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<frame name="Files">
  <panel [0,0] file="files_back.png" name="FilesBack"/>
  <filedir [12,7,201,39] name="FileDir"/>
  <button [201,7,32,32] file="sortby.png" name="SortBy"/>
  <filelist [7,40,233,231] name="FileList" style="NOT WS_BORDER"/>
</frame>
