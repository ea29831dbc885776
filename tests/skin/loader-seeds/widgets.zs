<info [64,64] name="F" author="" comments=""/>
<panel [0,0] file="a.png"/>
<button [2,2,24,24] file="a.png" alpha="m.png" name="Rec"><panel [2,2] file="t.png"/></button>
<time [0,30,60,8] digits=[50,40,30,20,10] ticks=[45,25] name="Time"><sprite file="a.png" alpha="m.png" src=[0,0,24,8]/></time>
<slider [0,40,64,10] file="a.png" name="Volume"><sprite src=[0,0,4,10]/><sprite name="BM" src=[4,0,2,2]/><level [2,2,60,6] name="VolL"/></slider>
<text [0,52,30,8] font="Sans" scrolling center name="Title"/>
<level [30,52,30,6] file="x.png" src=[1,1]/>
<filelist [40,0,24,20] name="FileList"/>
<frame name="Dialog"><button [0,0,10,10] file="a.png" src=[0,10,10,10]/></frame>
