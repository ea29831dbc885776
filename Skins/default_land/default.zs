<info [320,240] name="Default" author="Tonilo" comments="Calm dark default skin, landscape"/>
<panel [0,0] file="back.png" name="Back"/>
<text [6,11,164,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Title"/>
<text [6,11,164,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Info"/>
<time [17,33,124,26] digits=[106,88,62,44,18,0] ticks=[75,31] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,216,26]/>
</time>
<level [6,69,164,6] file="meter.png" src=[0,0,164,6] name="VolLevel"/>
<slider [6,85,164,20] name="Track">
  <level [5,8,153,3] file="track_play.png" src=[0,0,153,3] name="PlayL"/>
  <level [5,8,153,3] file="track_rec.png" src=[0,0,153,3] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,7] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,11,20]/>
</slider>
<button [18,117,68,68] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [90,117,32,32] file="play.png" alpha="play_mask.png" name="Play"/>
<button [126,117,32,32] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [90,153,32,32] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [126,153,32,32] file="next.png" alpha="next_mask.png" name="Next"/>
<button [6,197,32,32] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [43,197,90,32] name="Volume">
  <level [6,14,77,3] file="volume_fill.png" src=[0,0,77,3] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,13,32]/>
</slider>
<button [138,197,32,32] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [180,6,282,38] name="FileDir"/>
<button [282,6,32,32] file="sortby.png" name="SortBy"/>
<filelist [176,39,314,232] name="FileList" style="NOT WS_BORDER"/>
