<info [480,480] name="Default" author="Tonilo" comments="Calm dark default skin, square"/>
<panel [0,0] file="back.png" name="Back"/>
<text [12,28,240,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Title"/>
<text [12,28,240,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Info"/>
<time [12,74,240,52] digits=[205,170,120,85,35,0] ticks=[145,60] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,420,52]/>
</time>
<level [12,152,240,10] file="meter.png" src=[0,0,240,10] name="VolLevel"/>
<slider [12,189,240,40] name="Track">
  <level [10,18,219,4] file="track_play.png" src=[0,0,219,4] name="PlayL"/>
  <level [10,18,219,4] file="track_rec.png" src=[0,0,219,4] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,17] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,21,40]/>
</slider>
<button [12,260,116,116] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [136,260,54,54] file="play.png" alpha="play_mask.png" name="Play"/>
<button [198,260,54,54] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [136,322,54,54] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [198,322,54,54] file="next.png" alpha="next_mask.png" name="Next"/>
<button [12,408,44,44] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [66,408,132,44] name="Volume">
  <level [11,20,109,4] file="volume_fill.png" src=[0,0,109,4] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,23,44]/>
</slider>
<button [208,408,44,44] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [272,12,424,56] name="FileDir"/>
<button [424,12,44,44] file="sortby.png" name="SortBy"/>
<filelist [264,57,468,464] name="FileList" style="NOT WS_BORDER"/>
