<info [400,240] name="Default" author="Tonilo" comments="Calm dark default skin, landscape"/>
<panel [0,0] file="back.png" name="Back"/>
<text [6,13,208,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Title"/>
<text [6,13,208,15] font="DejaVu Sans" size=11 color=[232,234,237] center scrolling name="Info"/>
<time [39,36,124,26] digits=[106,88,62,44,18,0] ticks=[75,31] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,216,26]/>
</time>
<level [6,74,208,6] file="meter.png" src=[0,0,208,6] name="VolLevel"/>
<slider [6,92,208,20] name="Track">
  <level [5,8,197,3] file="track_play.png" src=[0,0,197,3] name="PlayL"/>
  <level [5,8,197,3] file="track_rec.png" src=[0,0,197,3] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,7] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,11,20]/>
</slider>
<button [6,138,32,32] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [44,126,56,56] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [106,138,32,32] file="play.png" alpha="play_mask.png" name="Play"/>
<button [144,138,32,32] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [182,138,32,32] file="next.png" alpha="next_mask.png" name="Next"/>
<button [6,195,32,32] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [43,195,134,32] name="Volume">
  <level [6,14,121,3] file="volume_fill.png" src=[0,0,121,3] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,13,32]/>
</slider>
<button [182,195,32,32] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [224,6,362,38] name="FileDir"/>
<button [362,6,32,32] file="sortby.png" name="SortBy"/>
<filelist [220,39,394,232] name="FileList" style="NOT WS_BORDER"/>
