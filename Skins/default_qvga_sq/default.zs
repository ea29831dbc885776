<info [320,320] name="Default" author="Tonilo" comments="Calm dark default skin, square"/>
<panel [0,0] file="back.png" name="Back"/>
<text [8,18,160,16] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Title"/>
<text [8,18,160,16] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Info"/>
<time [8,48,158,34] digits=[135,112,79,56,23,0] ticks=[96,40] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,276,34]/>
</time>
<level [8,99,160,7] file="meter.png" src=[0,0,160,7] name="VolLevel"/>
<slider [8,124,160,27] name="Track">
  <level [6,12,147,3] file="track_play.png" src=[0,0,147,3] name="PlayL"/>
  <level [6,12,147,3] file="track_rec.png" src=[0,0,147,3] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,11] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,13,27]/>
</slider>
<button [8,171,77,77] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [90,171,36,36] file="play.png" alpha="play_mask.png" name="Play"/>
<button [131,171,36,36] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [90,212,36,36] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [131,212,36,36] file="next.png" alpha="next_mask.png" name="Next"/>
<button [8,269,32,32] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [47,269,82,32] name="Volume">
  <level [7,14,67,3] file="volume_fill.png" src=[0,0,67,3] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,15,32]/>
</slider>
<button [136,269,32,32] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [181,8,280,40] name="FileDir"/>
<button [280,8,32,32] file="sortby.png" name="SortBy"/>
<filelist [176,41,312,310] name="FileList" style="NOT WS_BORDER"/>
